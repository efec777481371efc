// The Linux side: the serial driver's low-latency flag and the files sysfs keeps.
#ifndef _WIN32
#include "link/adapter_platform.h"

#include <QFile>
#include <QFileInfo>
#if defined(__linux__)
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace velo {

namespace {
class LinuxAdapterPlatform : public AdapterPlatform {
  public:
    explicit LinuxAdapterPlatform(QString sysRoot) : root_(std::move(sysRoot)) {}

    bool askLowLatency(intptr_t handle) override {
#if defined(__linux__) && defined(ASYNC_LOW_LATENCY)
        // Not a serial driver (a pseudo-terminal): both calls fail and nothing changes.
        serial_struct s{};
        if (handle < 0 || ::ioctl(int(handle), TIOCGSERIAL, &s) != 0) return false;
        if (s.flags & ASYNC_LOW_LATENCY) return true;
        s.flags |= ASYNC_LOW_LATENCY;
        return ::ioctl(int(handle), TIOCSSERIAL, &s) == 0;
#else
        (void)handle;
        return false;
#endif
    }

    std::optional<int> latencyTimerMs(const QString& device) const override {
        QFile f(root_ + "/bus/usb-serial/devices/" + tty(device) + "/latency_timer");
        if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
        bool ok = false;
        const int ms = f.readAll().trimmed().toInt(&ok);
        return ok ? std::optional<int>(ms) : std::nullopt;
    }

    QString driverName(const QString& device) const override {
        const QString link =
            QFile::symLinkTarget(root_ + "/class/tty/" + tty(device) + "/device/driver");
        return link.isEmpty() ? QString() : QFileInfo(link).fileName();
    }

    QString lowLatencyAdvice() const override {
        return "A udev rule can set it to 1 ms: see the guide.";
    }

  private:
    // ttyUSB0 for /dev/ttyUSB0 and for a /dev/serial/by-id name that leads to it.
    static QString tty(const QString& device) {
        const QString target = QFileInfo(device).canonicalFilePath();
        return QFileInfo(target.isEmpty() ? device : target).fileName();
    }
    QString root_;
};
}  // namespace

std::unique_ptr<AdapterPlatform> makeLinuxAdapterPlatform(const QString& sysRoot) {
    return std::make_unique<LinuxAdapterPlatform>(sysRoot);
}

AdapterPlatform& systemAdapterPlatform() {
    static const std::unique_ptr<AdapterPlatform> platform = makeLinuxAdapterPlatform("/sys");
    return *platform;
}

}  // namespace velo
#endif
