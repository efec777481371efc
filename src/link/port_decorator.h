#pragma once

#include "link/serial_port.h"

#include <memory>

namespace velo {

// A port that hands every call to another one; tracing and measuring ports override
// the calls they watch.
class PortDecorator : public SerialPort {
  public:
    explicit PortDecorator(std::unique_ptr<SerialPort> inner) : inner_(std::move(inner)) {
        inner_->onComm = [this](int code) { commEvent(code); };
    }

    void setPortNumber(int port) override { inner_->setPortNumber(port); }
    int portNumber() const override { return inner_->portNumber(); }
    bool isOpen() const override { return inner_->isOpen(); }
    void open() override { inner_->open(); }
    void close() override { inner_->close(); }
    int bytesWaiting() override { return inner_->bytesWaiting(); }
    void discardInput() override { inner_->discardInput(); }
    void writeByte(uint8_t byte) override { inner_->writeByte(byte); }
    uint8_t readByte() override { return inner_->readByte(); }
    void pump(int maxMicros) override { inner_->pump(maxMicros); }
    QString deviceName() const override { return inner_->deviceName(); }
    QString failure() const override { return inner_->failure(); }
    PortTrouble openTrouble() const override { return inner_->openTrouble(); }
    std::optional<int> adapterLatencyMs() const override { return inner_->adapterLatencyMs(); }

  protected:
    virtual void commEvent(int code) {
        if (onComm) onComm(code);
    }
    SerialPort& inner() { return *inner_; }

  private:
    std::unique_ptr<SerialPort> inner_;
};

}  // namespace velo
