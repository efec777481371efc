#include "link/tracing_port.h"

namespace velo {

void TracingPort::line(const QString& what, int byte) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
            .count();
    if (byte < 0)
        std::fprintf(out_, "%11.3f ms %s\n", ms, qPrintable(what));
    else
        std::fprintf(out_, "%11.3f ms %s 0x%02X\n", ms, qPrintable(what), byte);
}

void TracingPort::commEvent(int code) {
    line(QString("line error %1").arg(code));
    PortDecorator::commEvent(code);
}

void TracingPort::open() {
    PortDecorator::open();
    line("open " + deviceName());
}

void TracingPort::close() {
    if (isOpen()) line("close");
    PortDecorator::close();
}

void TracingPort::discardInput() {
    const int stale = bytesWaiting();
    PortDecorator::discardInput();
    if (stale > 0) line(QString("flush, %1 bytes dropped").arg(stale));
}

void TracingPort::writeByte(uint8_t byte) {
    PortDecorator::writeByte(byte);
    line(">", byte);
}

uint8_t TracingPort::readByte() {
    const uint8_t b = PortDecorator::readByte();
    line("<", b);
    return b;
}

}  // namespace velo
