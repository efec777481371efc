// The machine's serial ports as Qt lists them, with udev's stable names.
#include "link/adapter_platform.h"
#include "link/port_finder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

namespace velo {

QVector<SerialPortEntry> machinePorts() {
    // udev's stable names point at the devices the system lists.
    QHash<QString, QString> byId;
    const QDir ids("/dev/serial/by-id");
    for (const QFileInfo& link : ids.entryInfoList(QDir::System | QDir::Files))
        byId.insert(link.canonicalFilePath(), link.absoluteFilePath());
    QVector<SerialPortEntry> out;
    const AdapterPlatform& platform = systemAdapterPlatform();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString device = info.systemLocation();
        const auto vendor = info.hasVendorIdentifier()
                                ? std::optional<uint16_t>(info.vendorIdentifier())
                                : std::nullopt;
        out.append({device, info.description(), info.manufacturer(), info.serialNumber(),
                    byId.value(info.systemLocation()),
                    adapterChip(vendor, info.productIdentifier()), platform.driverName(device),
                    platform.latencyTimerMs(device)});
    }
    return out;
}

}  // namespace velo
