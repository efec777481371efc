#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace velo {

// Line-error event codes a port reports.
enum CommEvent : int {
    kCommFraming = 1004,
    kCommOverrun = 1006,
    kCommRxOverflow = 1008,
    kCommParity = 1009,
    kCommTxFull = 1010,
    kCommDcb = 1011,
};

// Why a port could not be asked, or did not answer.
enum class PortTrouble { None, NoDevice, NotSerial, NoPermission, Busy, Silent };

// The serial port as the protocol sees it. One implementation drives a real port or a
// pseudo-terminal, a fake one replays scripts in tests.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    virtual void setPortNumber(int port) = 0;  // used at the next open
    virtual int portNumber() const = 0;
    virtual bool isOpen() const = 0;
    // Raises a run-time error when the port cannot be opened.
    virtual void open() = 0;
    virtual void close() = 0;
    virtual int bytesWaiting() = 0;
    virtual void discardInput() = 0;
    virtual void writeByte(uint8_t byte) = 0;
    virtual uint8_t readByte() = 0;
    // Lets the port take in what has arrived; waits at most `maxMicros`.
    virtual void pump(int maxMicros) = 0;
    // Which device the port opens now, for messages.
    virtual QString deviceName() const = 0;
    // Why the device stopped working (unplugged, gone), empty while it works. Such a
    // port closes itself; the link's wait then ends as a time-out.
    virtual QString failure() const { return {}; }
    // Why the last open failed; None after a good one.
    virtual PortTrouble openTrouble() const { return PortTrouble::None; }
    // The latency timer of the USB adapter behind the open port, where the driver shows it.
    virtual std::optional<int> adapterLatencyMs() const { return std::nullopt; }

    // Line errors, with the codes above.
    std::function<void(int code)> onComm;
};

}  // namespace velo
