// The Windows side: the FTDI driver keeps each adapter's latency timer in the registry,
// and only an administrator may change it there.
#ifdef _WIN32
#include "link/adapter_platform.h"

#include <QSettings>

namespace velo {

namespace {
class WindowsAdapterPlatform : public AdapterPlatform {
  public:
    bool askLowLatency(intptr_t) override { return false; }

    std::optional<int> latencyTimerMs(const QString& device) const override {
        // FTDIBUS\<VID+PID+serial>\0000\Device Parameters holds PortName and LatencyTimer.
        QSettings ftdi(R"(HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\FTDIBUS)",
                       QSettings::NativeFormat);
        for (const QString& adapter : ftdi.childGroups()) {
            ftdi.beginGroup(adapter);
            for (const QString& instance : ftdi.childGroups()) {
                const QString key = instance + "/Device Parameters/";
                if (ftdi.value(key + "PortName").toString().compare(device, Qt::CaseInsensitive))
                    continue;
                bool ok = false;
                const int ms = ftdi.value(key + "LatencyTimer").toInt(&ok);
                if (ok) return ms;
            }
            ftdi.endGroup();
        }
        return std::nullopt;
    }

    QString driverName(const QString& device) const override {
        return latencyTimerMs(device) ? QString("FTDIBUS") : QString();
    }

    QString lowLatencyAdvice() const override {
        return "In Device Manager, open the port's Properties, Port Settings, Advanced, and "
               "set Latency Timer to 1 ms.";
    }
};
}  // namespace

AdapterPlatform& systemAdapterPlatform() {
    static WindowsAdapterPlatform platform;
    return platform;
}

}  // namespace velo
#endif
