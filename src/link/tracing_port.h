#pragma once

#include "link/port_decorator.h"

#include <chrono>
#include <cstdio>

namespace velo {

// Prints each byte sent and received, with the time since the trace began, for a user
// chasing a link problem.
class TracingPort : public PortDecorator {
  public:
    TracingPort(std::unique_ptr<SerialPort> inner, FILE* out)
        : PortDecorator(std::move(inner)), out_(out) {}

    void open() override;
    void close() override;
    void discardInput() override;
    void writeByte(uint8_t byte) override;
    uint8_t readByte() override;

  protected:
    void commEvent(int code) override;

  private:
    void line(const QString& what, int byte = -1);

    FILE* out_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace velo
