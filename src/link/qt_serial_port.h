#pragma once

#include "link/adapter_platform.h"
#include "link/line_error_counts.h"
#include "link/serial_port.h"

#include <QSerialPort>
#include <functional>

namespace velo {

// A real serial port or a pseudo-terminal, "56000,N,8,1", one byte at a time. A device
// that fails while open (an adapter pulled out) closes the port at once: Qt keeps
// reporting such errors for as long as it stays open.
class QtSerialPort : public SerialPort {
  public:
    // Reads the driver's line-error counters of an open device handle.
    using CountsReader = std::function<std::optional<LineErrorCounts>(int handle)>;

    explicit QtSerialPort(std::function<QString(int)> deviceFor,
                          CountsReader counts = driverLineErrorCounts,
                          AdapterPlatform& platform = systemAdapterPlatform());

    void setPortNumber(int port) override { portNumber_ = port; }
    int portNumber() const override { return portNumber_; }
    bool isOpen() const override;
    void open() override;
    void close() override;
    int bytesWaiting() override;
    void discardInput() override;
    void writeByte(uint8_t byte) override;
    uint8_t readByte() override;
    void pump(int maxMicros) override;
    QString deviceName() const override { return deviceFor_(portNumber_); }
    QString failure() const override { return failure_; }
    PortTrouble openTrouble() const override { return trouble_; }
    std::optional<int> adapterLatencyMs() const override { return latency_; }
    // The Qt port, for reading back what it was given.
    QSerialPort& device() { return port_; }

  private:
    void onError(QSerialPort::SerialPortError error);
    void closeIfFailed();
    void checkLineErrors();

    std::function<QString(int)> deviceFor_;
    AdapterPlatform& platform_;
    QSerialPort port_;
    LineErrorWatch lineErrors_;
    int portNumber_ = 1;
    QString failure_;
    bool failed_ = false;
    PortTrouble trouble_ = PortTrouble::None;
    std::optional<int> latency_;
};

// What the system says of a device a port could not open.
struct DeviceFacts {
    bool exists = false;
    bool characterDevice = false;
    bool accessDenied = false;  // refused by the file's rights
};
DeviceFacts deviceFacts(const QString& device);
// Why opening a device failed with `error`.
PortTrouble openTroubleOf(QSerialPort::SerialPortError error, const DeviceFacts& device);

}  // namespace velo
