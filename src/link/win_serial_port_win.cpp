// The serial port on Windows, driven through the Win32 calls themselves: the same
// "56000,N,8,1", one byte at a time, as the Linux build's Qt port.
#include "core/run_error.h"
#include "link/adapter_platform.h"
#include "link/controller_link.h"
#include "link/line_error_counts.h"
#include "link/protocol.h"
#include "link/win32_port_errors.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>
#include <deque>

#include <windows.h>

namespace velo {

static_assert(win32::kFileNotFound == ERROR_FILE_NOT_FOUND &&
              win32::kPathNotFound == ERROR_PATH_NOT_FOUND &&
              win32::kAccessDenied == ERROR_ACCESS_DENIED &&
              win32::kInvalidHandle == ERROR_INVALID_HANDLE &&
              win32::kInvalidFunction == ERROR_INVALID_FUNCTION &&
              win32::kNotReady == ERROR_NOT_READY && win32::kBadCommand == ERROR_BAD_COMMAND &&
              win32::kGenFailure == ERROR_GEN_FAILURE &&
              win32::kSharingViolation == ERROR_SHARING_VIOLATION &&
              win32::kNotSupported == ERROR_NOT_SUPPORTED &&
              win32::kInvalidParameter == ERROR_INVALID_PARAMETER &&
              win32::kInvalidName == ERROR_INVALID_NAME &&
              win32::kOperationAborted == ERROR_OPERATION_ABORTED &&
              win32::kDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED &&
              win32::kDeviceRemoved == ERROR_DEVICE_REMOVED);

namespace {

// A write of one byte that the driver has not taken in this long will not be taken.
constexpr DWORD kWriteTimeoutMs = 1000;

class WinSerialPort : public SerialPort {
  public:
    explicit WinSerialPort(std::function<QString(int)> deviceFor)
        : deviceFor_(std::move(deviceFor)),
          platform_(systemAdapterPlatform()),
          lineErrors_([this] { return driverLineErrorCounts(int(intptr_t(handle_))); }) {}
    ~WinSerialPort() override { close(); }

    void setPortNumber(int port) override { portNumber_ = port; }
    int portNumber() const override { return portNumber_; }
    bool isOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
    void open() override;
    void close() override;
    int bytesWaiting() override {
        // No event loop feeds the buffer: what the driver holds is taken in on each look.
        takeIn(0);
        return int(input_.size());
    }
    void discardInput() override;
    void writeByte(uint8_t byte) override;
    uint8_t readByte() override;
    void pump(int maxMicros) override;
    QString deviceName() const override { return deviceFor_(portNumber_); }
    QString failure() const override { return failure_; }
    PortTrouble openTrouble() const override { return trouble_; }
    std::optional<int> adapterLatencyMs() const override { return latency_; }

  private:
    DWORD configure();
    bool setReadWait(DWORD ms);
    void takeIn(DWORD waitMs);
    void fail(DWORD code);
    void checkLineErrors();

    std::function<QString(int)> deviceFor_;
    AdapterPlatform& platform_;
    LineErrorWatch lineErrors_;
    QObject events_;  // line-error events wait on it for the message loop
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::deque<uint8_t> input_;
    std::optional<DWORD> readWait_;  // the read time-out the driver has now
    int portNumber_ = 1;
    QString failure_;
    PortTrouble trouble_ = PortTrouble::None;
    std::optional<int> latency_;
};

void WinSerialPort::open() {
    if (isOpen()) return;
    const QString device = deviceName();
    latency_.reset();
    trouble_ = PortTrouble::None;
    // COM10 and above are reachable only by their device path.
    const QString path = device.startsWith(R"(\\.\)") ? device : R"(\\.\)" + device;
    handle_ = ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()),
                            GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const DWORD error = isOpen() ? configure() : ::GetLastError();
    if (error != ERROR_SUCCESS) {
        close();
        trouble_ = win32OpenTrouble(error);
        throw RunError{8002, "Velo_IGX_Main",
                       QString("Cannot open Com%1 (%2): %3")
                           .arg(portNumber_)
                           .arg(device, win32OpenErrorText(error))};
    }
    failure_.clear();
    latency_ = platform_.latencyTimerMs(device);
    lineErrors_.start();
}

DWORD WinSerialPort::configure() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) return ::GetLastError();
    dcb.BaudRate = protocol::kBaud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    // No flow control of either kind; DTR on and RTS off, as the controller expects.
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    // A NUL byte is a byte like any other, and a line error must not stop the reads.
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(handle_, &dcb)) return ::GetLastError();
    readWait_.reset();
    if (!setReadWait(0)) return ::GetLastError();
    return ERROR_SUCCESS;
}

// With a wait: what has come returns at once, else the first byte to come, else nothing
// after `ms`; without: what has come, at once. The wait is the driver's, never a sleep.
bool WinSerialPort::setReadWait(DWORD ms) {
    if (readWait_ == ms) return true;
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = ms ? MAXDWORD : 0;
    t.ReadTotalTimeoutConstant = ms;
    t.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!::SetCommTimeouts(handle_, &t)) return false;
    readWait_ = ms;
    return true;
}

void WinSerialPort::takeIn(DWORD waitMs) {
    if (!isOpen()) return;
    if (!setReadWait(waitMs)) return fail(::GetLastError());
    uint8_t chunk[4096];
    // A wait asks for one byte, the rest comes with the next look: Wine holds a larger
    // read until its whole time-out has run out.
    const DWORD wanted = waitMs ? 1 : sizeof chunk;
    DWORD got = 0;
    if (!::ReadFile(handle_, chunk, wanted, &got, nullptr)) return fail(::GetLastError());
    if (got == 0) return;
    input_.insert(input_.end(), chunk, chunk + got);
    checkLineErrors();
}

void WinSerialPort::checkLineErrors() {
    // Raised when messages next run, as the window's handler would see it.
    for (int code : lineErrors_.check())
        QMetaObject::invokeMethod(
            &events_,
            [this, code] {
                if (onComm) onComm(code);
            },
            Qt::QueuedConnection);
}

void WinSerialPort::fail(DWORD code) {
    failure_ = QString("Com%1 (%2) stopped working: %3.")
                   .arg(portNumber_)
                   .arg(deviceName(), win32FailureText(code));
    close();
}

void WinSerialPort::close() {
    lineErrors_.stop();
    if (isOpen()) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    input_.clear();
    readWait_.reset();
}

void WinSerialPort::discardInput() {
    input_.clear();
    if (isOpen() && !::PurgeComm(handle_, PURGE_RXCLEAR)) fail(::GetLastError());
}

void WinSerialPort::writeByte(uint8_t byte) {
    if (!isOpen()) return;
    DWORD written = 0;
    // A byte the driver did not take shows up as a missing answer.
    if (!::WriteFile(handle_, &byte, 1, &written, nullptr)) fail(::GetLastError());
}

uint8_t WinSerialPort::readByte() {
    if (input_.empty()) takeIn(0);
    if (input_.empty()) return 0;
    const uint8_t b = input_.front();
    input_.pop_front();
    return b;
}

void WinSerialPort::pump(int maxMicros) {
    if (!isOpen() || !input_.empty()) return;
    // Whole milliseconds only, so the wait never runs past the caller's deadline.
    takeIn(DWORD(std::max(maxMicros, 0) / 1000));
}

}  // namespace

std::unique_ptr<SerialPort> makeSystemPort(std::function<QString(int)> deviceFor) {
    return std::make_unique<WinSerialPort>(std::move(deviceFor));
}

}  // namespace velo
