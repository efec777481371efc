#include "link/port_finder.h"

#include "core/scripted_interaction.h"
#include "data/workbench.h"
#include "link/controller_link.h"

#include <QDir>
#include <QFileInfo>

namespace velo {

QString troubleText(PortTrouble trouble) {
    switch (trouble) {
        case PortTrouble::NoDevice:
            return "no such device";
        case PortTrouble::NotSerial:
            return "not a serial device";
        case PortTrouble::NoPermission:
            return "no permission (add your user to the dialout group)";
        case PortTrouble::Busy:
            return "busy (another program has it open)";
        case PortTrouble::Silent:
            return "silent (no answer in 1 s)";
        case PortTrouble::None:
            break;
    }
    return {};
}

QString stableName(const QString& device, const QVector<SerialPortEntry>& ports) {
    for (const SerialPortEntry& p : ports)
        if (p.device == device && !p.byId.isEmpty()) return p.byId;
    return device;
}

QString deviceWithTarget(const QString& device) {
    if (!device.startsWith("/dev/serial/")) return device;
    const QString now = QFileInfo(device).canonicalFilePath();
    return QString("%1 (%2)").arg(device, now.isEmpty() ? "not plugged in" : "now " + now);
}

QStringList foundDevices(const QVector<SerialPortEntry>& ports) {
    QStringList out;
    for (const SerialPortEntry& p : ports) out << p.device;
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
    Workbench<ScriptedInteraction> silent;
    MainState& state = silent.state;
    state.CommPort = 1;
    const QString device = port->deviceName();
    ControllerLink link(silent.ctx, std::move(port), std::move(timing));
    link.ReadFirmwareID();
    const PortTrouble refused = link.port().openTrouble();
    link.closePort();
    if (!link.LinkOK)
        return {device, std::nullopt, false,
                refused == PortTrouble::None ? PortTrouble::Silent : refused};
    return {device, state.FirmwareID, state.UnitModel == "IGX-1", PortTrouble::None};
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
