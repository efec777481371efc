#include "core/port_settings.h"

#include "core/numeric.h"
#include "core/run_error.h"

#include <QRegularExpression>
#include <cmath>

namespace velo {

namespace {
QString portKey(int port) {
    return QString("Ports/Com%1").arg(port);
}
}  // namespace

QString PortSettings::storedCommPort() const {
    return s_.value("Properties/CommPort", "1").toString();
}

int PortSettings::parseCommPort(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        raise(13, kAppTitle,
              QString("The stored port setting \"%1\" is not a port number (Type mismatch).")
                  .arg(text));
    const long long port = roundHalfEven(value);
    if (port < -32768 || port > 32767)
        raise(kOverflowError, kAppTitle,
              QString("The stored port setting %1 is far outside the port list (Overflow).")
                  .arg(text.trimmed()));
    return int(port);
}

void PortSettings::checkListPosition(int port) {
    if (port < 0 || port > kPortCount)
        raise(380, kAppTitle,
              QString("The stored port setting %1 is outside the port list Com1 to Com%2 "
                      "(Invalid property value).")
                  .arg(port)
                  .arg(kPortCount));
}

void PortSettings::storeCommPort(int port) {
    s_.setValue("Properties/CommPort", QString::number(port));
    s_.sync();
}

QString PortSettings::deviceFor(int port) const {
#ifdef Q_OS_WIN
    return QString("COM%1").arg(port);
#else
    const QString stored = s_.value(portKey(port)).toString();
    if (!stored.isEmpty()) return stored;
    return QString("/dev/ttyS%1").arg(port - 1);
#endif
}

bool PortSettings::entriesNameDevices() {
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

int PortSettings::entryNaming(const QString& device) {
    if (!entriesNameDevices()) return 0;
    static const QRegularExpression com(R"(^(?:\\\\\.\\)?COM(\d{1,3})$)",
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(device.trimmed());
    const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    return n >= 1 && n <= kPortCount ? n : 0;
}

bool PortSettings::hasStoredDevice(int port) const {
    return s_.contains(portKey(port));
}

void PortSettings::storeDevice(int port, const QString& device) {
    if (device.isEmpty())
        s_.remove(portKey(port));
    else
        s_.setValue(portKey(port), device);
    s_.sync();
}

}  // namespace velo
