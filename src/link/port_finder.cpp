#include "link/port_finder.h"

#include "core/scripted_interaction.h"
#include "data/config_image.h"
#include "link/controller_link.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace velo {

QVector<SerialPortEntry> machinePorts() {
    // udev's stable names point at the devices the system lists.
    QHash<QString, QString> byId;
    const QDir ids("/dev/serial/by-id");
    for (const QFileInfo& link : ids.entryInfoList(QDir::System | QDir::Files))
        byId.insert(link.canonicalFilePath(), link.absoluteFilePath());
    QVector<SerialPortEntry> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString device = info.portName();  // COM3, as the Com entries name it
#else
        const QString device = info.systemLocation();
#endif
        out.append({device, info.description(), info.manufacturer(), info.serialNumber(),
                    byId.value(info.systemLocation())});
    }
    return out;
}

QStringList foundDevices() {
    QStringList out;
    for (const SerialPortEntry& p : machinePorts()) out << p.device;
#ifndef Q_OS_WIN
    // Pseudo-terminals (a simulated controller) are not enumerated as serial ports.
    for (const QString& name : QDir("/dev/pts").entryList(QDir::System | QDir::NoDotAndDotDot))
        if (name != "ptmx") out << "/dev/pts/" + name;
#endif
    out.removeDuplicates();
    return out;
}

ProbeAnswer probeController(std::unique_ptr<SerialPort> port, std::unique_ptr<LinkTiming> timing) {
    // A state of its own: the window's firmware and unit stay as they are, and the
    // link's reports are answered Abort without being shown.
    ConfigImage image;
    MainState state;
    ScriptedInteraction silent;
    AppContext ctx(image, state, silent);
    state.CommPort = 1;
    const QString device = port->deviceName();
    ControllerLink link(ctx, std::move(port), std::move(timing));
    link.ReadFirmwareID();
    link.closePort();
    if (!link.LinkOK) return {device, std::nullopt, false};
    return {device, state.FirmwareID, state.UnitModel == "IGX-1"};
}

QVector<ProbeAnswer> findControllers(const QStringList& devices,
                                     const std::function<void(const ProbeAnswer&)>& answered) {
    QVector<ProbeAnswer> out;
    for (const QString& d : devices) {
        out.append(probeController(makeSystemPort([d](int) { return d; })));
        if (answered) answered(out.last());
    }
    return out;
}

QString permissionFollowUp(const QString& device) {
#ifdef Q_OS_WIN
    // Windows lets one program at a time open a port.
    return QString(
               "Another program may have %1 open (a terminal or another tuning program): "
               "close it, then try again.")
        .arg(device);
#else
    return QString(
               "Your user may not use %1. Add it to the dialout group: sudo usermod -aG dialout "
               "$USER, then log out and in.")
        .arg(device);
#endif
}

}  // namespace velo
