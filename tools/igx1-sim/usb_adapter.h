#pragma once

#include <algorithm>

namespace igx1sim {

// A USB serial adapter between the controller and the program: a received byte waits in
// the adapter until its latency timer, started by the first byte of a packet, runs out
// (one 1 ms USB frame at the least). Latency 0 is a plain line.
class UsbAdapterHold {
  public:
    explicit UsbAdapterHold(int latencyMs) : latency_(latencyMs / 1000.0) {}

    bool holds() const { return latency_ > 0; }
    // When a byte that reached the adapter at `arrival` (seconds) is passed on.
    double release(double arrival) {
        if (!holds()) return arrival;
        if (arrival > packetLeaves_) packetLeaves_ = arrival + std::max(latency_, kUsbFrame);
        return packetLeaves_;
    }

  private:
    static constexpr double kUsbFrame = 0.001;
    double latency_;
    double packetLeaves_ = -1;
};

}  // namespace igx1sim
