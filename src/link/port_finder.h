#pragma once

#include "link/link_timing.h"
#include "link/serial_port.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

namespace velo {

// A serial port of this machine and the adapter behind it.
struct SerialPortEntry {
    QString device;  // /dev/ttyUSB0
    QString description, manufacturer, serial;
    QString byId;       // its /dev/serial/by-id name, where udev made one
    QString chip = {};  // of a USB adapter (adapterChip); empty for other ports
    QString driver = {};
    std::optional<int> latencyMs = {};  // the adapter's latency timer, where the driver shows it
    bool operator==(const SerialPortEntry&) const = default;
};

// What a port said to Read identification.
struct ProbeAnswer {
    QString device;
    std::optional<QString> firmware;          // nothing when no identification came in 1 s
    bool igx = false;                         // the unit is an IGX-1 by the identification rule
    PortTrouble trouble = PortTrouble::None;  // why there is no identification
};

// Why a port was not asked or did not answer, in a few words for a list.
QString troubleText(PortTrouble trouble);
// The name to keep for `device`: its /dev/serial/by-id name where the list has one, so
// that the same adapter is found when it comes back under another ttyUSB number.
QString stableName(const QString& device, const QVector<SerialPortEntry>& ports);
// "by-id name (now /dev/ttyUSB0)" for a stable name, the device itself otherwise.
QString deviceWithTarget(const QString& device);

// The serial ports the system reports, with their adapters.
QVector<SerialPortEntry> machinePorts();
// Devices a Com entry may reach: the machine's ports and, where there are any,
// pseudo-terminals (a simulated controller).
QStringList foundDevices(const QVector<SerialPortEntry>& ports = machinePorts());

// Asks one port for its identification, as a download does, without any message: a
// port that cannot be opened or stays silent answers nothing, after at most 1 s.
ProbeAnswer probeController(std::unique_ptr<SerialPort> port,
                            std::unique_ptr<LinkTiming> timing = std::make_unique<SystemTiming>());
// Each device in turn on the machine's serial port; `answered` after each one.
QVector<ProbeAnswer> findControllers(const QStringList& devices,
                                     const std::function<void(const ProbeAnswer&)>& answered = {});

// The run-time error's follow-up when opening `device` was refused for lack of rights.
QString permissionFollowUp(const QString& device);

}  // namespace velo
