#include "link/tracing_port.h"

namespace velo {

TracingPort::TracingPort(std::unique_ptr<SerialPort> inner, FILE* out)
    : inner_(std::move(inner)), out_(out) {
    inner_->onComm = [this](int code) {
        line(qPrintable(QString("line error %1").arg(code)));
        if (onComm) onComm(code);
    };
}

void TracingPort::line(const char* what, int byte) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
            .count();
    if (byte < 0)
        std::fprintf(out_, "%11.3f ms %s\n", ms, what);
    else
        std::fprintf(out_, "%11.3f ms %s 0x%02X\n", ms, what, byte);
}

void TracingPort::open() {
    inner_->open();
    line(qPrintable("open " + inner_->deviceName()));
}

void TracingPort::close() {
    if (inner_->isOpen()) line("close");
    inner_->close();
}

void TracingPort::discardInput() {
    const int stale = inner_->bytesWaiting();
    inner_->discardInput();
    if (stale > 0) line(qPrintable(QString("flush, %1 bytes dropped").arg(stale)));
}

void TracingPort::writeByte(uint8_t byte) {
    inner_->writeByte(byte);
    line(">", byte);
}

uint8_t TracingPort::readByte() {
    const uint8_t b = inner_->readByte();
    line("<", b);
    return b;
}

}  // namespace velo
