#include "link/qt_serial_port.h"

#include "app/run_error.h"
#include "link/controller_link.h"
#include "link/protocol.h"

namespace velo {

QtSerialPort::QtSerialPort(std::function<QString(int)> deviceFor)
    : deviceFor_(std::move(deviceFor)) {}

void QtSerialPort::open() {
    if (port_.isOpen()) return;
    const QString device = deviceName();
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite))
        raise(8002, "Velo_IGX_Main",
              QString("Cannot open Com%1 (%2): %3")
                  .arg(portNumber_)
                  .arg(device, port_.errorString()));
    port_.setBaudRate(protocol::kBaud);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(0);
    // A pseudo-terminal has no modem lines: failing to set them is expected.
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(false);
    port_.clearError();
}

void QtSerialPort::close() {
    if (port_.isOpen()) port_.close();
}

int QtSerialPort::bytesWaiting() {
    return int(port_.bytesAvailable());
}

void QtSerialPort::discardInput() {
    pump(0);
    port_.readAll();
    port_.clear(QSerialPort::Input);
}

void QtSerialPort::writeByte(uint8_t byte) {
    const char c = char(byte);
    port_.write(&c, 1);
    port_.flush();
}

uint8_t QtSerialPort::readByte() {
    char c = 0;
    port_.getChar(&c);
    return uint8_t(c);
}

void QtSerialPort::pump(int maxMicros) {
    if (port_.isOpen()) port_.waitForReadyRead(maxMicros / 1000);
}

std::unique_ptr<SerialPort> makeSystemPort(std::function<QString(int)> deviceFor) {
    return std::make_unique<QtSerialPort>(std::move(deviceFor));
}

}  // namespace velo
