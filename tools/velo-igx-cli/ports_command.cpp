// ports: find the controller among the machine's serial ports.
#include "cli.h"

#include "link/port_finder.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace velo::cli {

int runPorts(const CommandLine& line) {
    const QString stray = line.missingValue().isEmpty() ? line.stray(0) : line.missingValue();
    if (!stray.isEmpty()) return usage("unexpected argument " + stray);
    const QStringList extra = line.values("device");
    const bool json = line.isSet("json");
    QVector<SerialPortEntry> ports = machinePorts();
    for (const QString& d : extra)
        if (std::none_of(ports.begin(), ports.end(), [&](const auto& p) { return p.device == d; }))
            ports.append({d, {}, {}, {}, {}});
    QStringList devices;
    for (const SerialPortEntry& p : ports) devices << p.device;
    QElapsedTimer took;
    took.start();
    const QVector<ProbeAnswer> answers = findControllers(devices);
    const double seconds = took.elapsed() / 1000.0;
    bool igx = false;
    QJsonArray list;
    QStringList advice;
    auto textOrNull = [](const QString& t) { return t.isEmpty() ? QJsonValue() : QJsonValue(t); };
    for (int i = 0; i < ports.size(); ++i) {
        const SerialPortEntry& p = ports[i];
        const ProbeAnswer& a = answers[i];
        igx = igx || a.igx;
        if (a.trouble == PortTrouble::NoPermission) advice << permissionFollowUp(p.device);
        const QString answer =
            a.firmware ? (a.igx ? "IGX-1: " : "answered: ") + *a.firmware : troubleText(a.trouble);
        if (json) {
            QJsonObject o;
            o["device"] = p.device;
            o["byId"] = textOrNull(p.byId);
            o["description"] = p.description;
            o["manufacturer"] = p.manufacturer;
            o["serial"] = p.serial;
            o["chip"] = textOrNull(p.chip);
            o["driver"] = textOrNull(p.driver);
            o["latencyMs"] = p.latencyMs ? QJsonValue(*p.latencyMs) : QJsonValue();
            o["firmware"] = a.firmware ? QJsonValue(*a.firmware) : QJsonValue();
            o["igx"] = a.igx;
            o["problem"] = textOrNull(troubleText(a.trouble));
            list.append(o);
        } else {
            const QString latency = p.latencyMs ? QString("%1 ms").arg(*p.latencyMs) : "";
            std::printf("%-20s %-20s %-20s %-10s %-6s %s\n", qPrintable(p.device),
                        qPrintable(p.description), qPrintable(p.chip), qPrintable(p.driver),
                        qPrintable(latency), qPrintable(answer));
            if (!p.byId.isEmpty()) std::printf("    stable name %s\n", qPrintable(p.byId));
        }
    }
    if (json)
        std::printf("%s", QJsonDocument(list).toJson(QJsonDocument::Indented).constData());
    else
        std::printf("%d port%s asked in %.1f s; %s\n", int(ports.size()),
                    ports.size() == 1 ? "" : "s", seconds,
                    igx ? "an IGX-1 answered." : "no IGX-1 answered.");
    if (!json)
        for (const QString& a : advice) std::printf("%s\n", qPrintable(a));
    return igx ? kOk : kFailed;
}

}  // namespace velo::cli
