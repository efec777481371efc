#include "link/qt_serial_port.h"

#include "core/run_error.h"
#include "link/controller_link.h"
#include "link/port_finder.h"
#include "link/protocol.h"

#include <QElapsedTimer>
#include <QFile>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <chrono>

namespace velo {

QtSerialPort::QtSerialPort(std::function<QString(int)> deviceFor, CountsReader counts,
                           AdapterPlatform& platform)
    : deviceFor_(std::move(deviceFor)),
      platform_(platform),
      lineErrors_(
          [this, counts = std::move(counts)] { return counts(int(qintptr(port_.handle()))); }) {
    QObject::connect(&port_, &QSerialPort::errorOccurred, &port_,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
    QObject::connect(&port_, &QSerialPort::readyRead, &port_, [this] { checkLineErrors(); });
}

void QtSerialPort::checkLineErrors() {
    // The bytes may have come in inside a wait that lets no messages run: the event is
    // raised when messages next run, as the window's handler would see it.
    for (int code : lineErrors_.check())
        QMetaObject::invokeMethod(
            &port_,
            [this, code] {
                if (onComm) onComm(code);
            },
            Qt::QueuedConnection);
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::UnknownError:
            if (!port_.isOpen() || failed_) return;
            // Closing inside Qt's own notification is not safe; the next call does it.
            failed_ = true;
            failure_ = QString("Com%1 (%2) stopped working: %3.")
                           .arg(portNumber_)
                           .arg(port_.portName(), port_.errorString());
            break;
        default:
            break;
    }
}

void QtSerialPort::closeIfFailed() {
    if (!failed_) return;
    failed_ = false;
    lineErrors_.stop();
    port_.close();
}

bool QtSerialPort::isOpen() const {
    return port_.isOpen() && !failed_;
}

void QtSerialPort::open() {
    closeIfFailed();
    if (port_.isOpen()) return;
    const QString device = deviceName();
    port_.setPortName(device);
    // Given with the port closed, the settings are kept as given and applied at open (a
    // pseudo-terminal would refuse some of them afterwards and keep its own).
    port_.setBaudRate(protocol::kBaud);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(0);
    latency_.reset();
    trouble_ = PortTrouble::None;
    if (!port_.open(QIODevice::ReadWrite)) {
        RunError e{8002, "Velo_IGX_Main",
                   QString("Cannot open Com%1 (%2): %3")
                       .arg(portNumber_)
                       .arg(device, port_.errorString())};
        trouble_ = openTroubleOf(port_.error(), deviceFacts(device));
        if (trouble_ == PortTrouble::NoPermission) e.followUp = permissionFollowUp(device);
        throw e;
    }
    failure_.clear();
    // A USB adapter holds each answer until its latency timer runs out unless its driver
    // is asked for low latency; what the timer is after that decides whether to warn.
    platform_.askLowLatency(intptr_t(port_.handle()));
    latency_ = platform_.latencyTimerMs(device);
    // Only an open port takes the modem lines; a pseudo-terminal has none, so failing to
    // set them there is expected.
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(false);
    port_.clearError();
    lineErrors_.start();
}

void QtSerialPort::close() {
    failed_ = false;
    lineErrors_.stop();
    if (port_.isOpen()) port_.close();
}

int QtSerialPort::bytesWaiting() {
    closeIfFailed();
    return port_.isOpen() ? int(port_.bytesAvailable()) : 0;
}

void QtSerialPort::discardInput() {
    closeIfFailed();
    if (!port_.isOpen()) return;
    // Take in what the driver holds first, or it would arrive after the flush.
    // Nothing came in: the driver holds nothing either, and the flush call is saved.
    if (!port_.waitForReadyRead(0) && port_.bytesAvailable() == 0) return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

void QtSerialPort::writeByte(uint8_t byte) {
    closeIfFailed();
    if (!port_.isOpen()) return;
    const char c = char(byte);
    port_.write(&c, 1);
    // Out on the line now, not when the event loop next runs.
    port_.flush();
}

uint8_t QtSerialPort::readByte() {
    closeIfFailed();
    char c = 0;
    if (port_.isOpen()) port_.getChar(&c);
    return uint8_t(c);
}

namespace {
// Long enough for a command's answer: a few byte times plus the other side's turnaround.
constexpr int kSpinMicros = 1500;
}  // namespace

void QtSerialPort::pump(int maxMicros) {
    closeIfFailed();
    if (!port_.isOpen()) return;
    // An answer is due within a few byte times: looking without sleeping first sees it
    // as it lands instead of after the scheduler's wake-up.
    const auto spinEnd = std::chrono::steady_clock::now() +
                         std::chrono::microseconds(std::min(maxMicros, kSpinMicros));
    do {
        if (port_.waitForReadyRead(0) || port_.bytesAvailable() > 0) {
            closeIfFailed();
            return;
        }
    } while (std::chrono::steady_clock::now() < spinEnd);
    // waitForReadyRead returns as soon as a byte is in, so a whole millisecond is fine.
    if (maxMicros > kSpinMicros) port_.waitForReadyRead(std::min(maxMicros / 1000, 50));
    closeIfFailed();
}

DeviceFacts deviceFacts(const QString& device) {
    DeviceFacts f;
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    struct stat st {};
    f.exists = ::stat(path.constData(), &st) == 0;
    f.characterDevice = f.exists && S_ISCHR(st.st_mode);
    f.accessDenied = ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
#else
    // COM ports are no files; the driver's answer is all there is.
    f.exists = f.characterDevice = true;
#endif
    return f;
}

PortTrouble openTroubleOf(QSerialPort::SerialPortError error, const DeviceFacts& device) {
    if (error == QSerialPort::DeviceNotFoundError || !device.exists) return PortTrouble::NoDevice;
    if (!device.characterDevice) return PortTrouble::NotSerial;
    // Refused by the rights, or held by another program.
    if (error == QSerialPort::PermissionError)
        return device.accessDenied ? PortTrouble::NoPermission : PortTrouble::Busy;
    // Opened, but the device takes no line settings.
    return PortTrouble::NotSerial;
}

std::unique_ptr<SerialPort> makeSystemPort(std::function<QString(int)> deviceFor) {
    return std::make_unique<QtSerialPort>(std::move(deviceFor));
}

}  // namespace velo
