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
    QString byId;  // its /dev/serial/by-id name, where udev made one
    bool operator==(const SerialPortEntry&) const = default;
};

// What a port said to Read identification.
struct ProbeAnswer {
    QString device;
    std::optional<QString> firmware;  // nothing when no identification came in 1 s
    bool igx = false;                 // the unit is an IGX-1 by the identification rule
};

// The serial ports the system reports, with their adapters.
QVector<SerialPortEntry> machinePorts();
// Devices a Com entry may reach: the machine's ports and, where there are any,
// pseudo-terminals (a simulated controller).
QStringList foundDevices();

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
