#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace velo {

// What the system tells of a USB serial adapter, and the one thing the program asks of
// its driver. A Linux and a Windows side; tests give the Linux side a fake sysfs root.
class AdapterPlatform {
  public:
    virtual ~AdapterPlatform() = default;
    // Asks the driver of the open device `handle` to pass on each byte at once; false
    // where it cannot (a pseudo-terminal, an adapter without such a mode).
    virtual bool askLowLatency(intptr_t handle) = 0;
    // The adapter's latency timer in milliseconds, where the driver shows it.
    virtual std::optional<int> latencyTimerMs(const QString& device) const = 0;
    // The driver behind the device ("ftdi_sio"); empty where the system does not say.
    virtual QString driverName(const QString& device) const = 0;
    // How a user sets the timer to 1 ms, in this system's words.
    virtual QString lowLatencyAdvice() const = 0;
};

// This machine's side.
AdapterPlatform& systemAdapterPlatform();
#ifndef _WIN32
// The Linux side, reading the driver's files under `sysRoot` ("/sys").
std::unique_ptr<AdapterPlatform> makeLinuxAdapterPlatform(const QString& sysRoot);
#endif

// The chip of a USB serial adapter from its vendor and product IDs: "FTDI", "Silicon Labs
// CP210x", "WCH CH340/CH341", "Prolific PL2303" or "other"; empty for a port that is not
// on USB (no IDs).
QString adapterChip(std::optional<uint16_t> vendor, uint16_t product);

// Above this an adapter slows every answer noticeably.
inline constexpr int kSlowAdapterMs = 2;
// Said once per run when the adapter on `device` still waits `ms` before each answer.
QString slowAdapterWarning(const QString& device, int ms, const AdapterPlatform& platform);

}  // namespace velo
