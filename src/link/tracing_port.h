#pragma once

#include "link/serial_port.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace velo {

// Passes everything to another port and prints each byte sent and received, with the
// time since the trace began, for a user chasing a link problem.
class TracingPort : public SerialPort {
  public:
    TracingPort(std::unique_ptr<SerialPort> inner, FILE* out);

    void setPortNumber(int port) override { inner_->setPortNumber(port); }
    int portNumber() const override { return inner_->portNumber(); }
    bool isOpen() const override { return inner_->isOpen(); }
    void open() override;
    void close() override;
    int bytesWaiting() override { return inner_->bytesWaiting(); }
    void discardInput() override;
    void writeByte(uint8_t byte) override;
    uint8_t readByte() override;
    void pump(int maxMicros) override { inner_->pump(maxMicros); }
    QString deviceName() const override { return inner_->deviceName(); }
    QString failure() const override { return inner_->failure(); }

  private:
    void line(const char* what, int byte = -1);

    std::unique_ptr<SerialPort> inner_;
    FILE* out_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace velo
