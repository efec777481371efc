#pragma once

#include "link/serial_port.h"

#include <QSerialPort>
#include <functional>

namespace velo {

// A real serial port or a pseudo-terminal, "56000,N,8,1", one byte at a time.
class QtSerialPort : public SerialPort {
  public:
    explicit QtSerialPort(std::function<QString(int)> deviceFor);

    void setPortNumber(int port) override { portNumber_ = port; }
    int portNumber() const override { return portNumber_; }
    bool isOpen() const override { return port_.isOpen(); }
    void open() override;
    void close() override;
    int bytesWaiting() override;
    void discardInput() override;
    void writeByte(uint8_t byte) override;
    uint8_t readByte() override;
    void pump(int maxMicros) override;
    QString deviceName() const override { return deviceFor_(portNumber_); }

  private:
    std::function<QString(int)> deviceFor_;
    QSerialPort port_;
    int portNumber_ = 1;
};

}  // namespace velo
