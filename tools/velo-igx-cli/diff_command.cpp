#include "cli.h"

#include "data/config_image.h"
#include "table/image_diff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velo::cli {

namespace {

QString tableName(TableKind t) {
    return t == TableKind::Table2D ? "2D" : "3D";
}

int rpm(int col) {
    return (col - 1) * 500;
}

// Advances are exact to four decimals; the JSON shows no binary noise.
double exact(double v) {
    return std::round(v * 10000) / 10000;
}

QJsonObject toJson(const ImageDiff& d, const QString& pathA, const QString& pathB,
                   PressureUnit unit) {
    QJsonArray params, tables, cells;
    for (const auto& p : d.parameters)
        params.append(QJsonObject{{"name", p.name}, {"a", p.a}, {"b", p.b}});
    for (const TableKind t : d.tables) tables.append(tableName(t));
    for (const auto& c : d.cells) {
        QJsonObject cell{{"table", tableName(c.table)},
                         {"gridRow", c.row},
                         {"row", d.rowText(c.table, c.row, unit)},
                         {"rpm", rpm(c.col)},
                         {"a", exact(c.a)},
                         {"b", exact(c.b)}};
        if (const QString source = d.rowSource(c.table, c.row, unit); !source.isEmpty())
            cell["bSource"] = source;
        cells.append(cell);
    }
    QJsonObject o{
        {"a", pathA},       {"b", pathB},     {"equal", d.equal()},        {"parameters", params},
        {"tables", tables}, {"cells", cells}, {"otherBytes", d.otherBytes}};
    if (d.tables.contains(TableKind::Table3D)) o["pressureUnit"] = unitName(unit);
    if (d.byPressure()) o["comparedBy"] = "pressure";
    return o;
}

}  // namespace

void printImageDiff(const ImageDiff& d, const QString& pathA, const QString& pathB,
                    PressureUnit unit) {
    std::printf("A  %s\nB  %s\n", qPrintable(pathA), qPrintable(pathB));
    if (d.equal()) {
        std::printf("\nNo differences.\n");
        return;
    }
    if (!d.parameters.isEmpty()) {
        int nameWidth = 9, aWidth = 1;
        for (const auto& p : d.parameters) {
            nameWidth = std::max<int>(nameWidth, p.name.size());
            aWidth = std::max<int>(aWidth, p.a.size());
        }
        std::printf("\n%-*s  %-*s  %s\n", nameWidth, "Parameter", aWidth, "A", "B");
        for (const auto& p : d.parameters)
            std::printf("%-*s  %-*s  %s\n", nameWidth, qPrintable(p.name), aWidth, qPrintable(p.a),
                        qPrintable(p.b));
    }
    for (const TableKind t : d.tables) {
        QStringList lines;
        for (const auto& c : d.cells) {
            if (c.table != t) continue;
            const auto [a, b] = cellTexts(c.a, c.b);
            lines << QString("  %1 %2 %3 %4")
                         .arg(d.rowText(c.table, c.row, unit), -5)
                         .arg(rpm(c.col), 5)
                         .arg(a, 7)
                         .arg(b, 7);
        }
        const QString count = lines.isEmpty()     ? QString("no cell differs")
                              : lines.size() == 1 ? QString("1 cell differs")
                                                  : QString("%1 cells differ").arg(lines.size());
        const bool twoSensors = t == TableKind::Table3D && d.mapSensorA != d.mapSensorB;
        const QString inUnit = t == TableKind::Table3D ? mapUnitPhrase(unit) : QString();
        std::printf(
            "\n%s table: %s%s\n", qPrintable(tableName(t)), qPrintable(count),
            lines.isEmpty() ? ""
            : twoSensors
                ? qPrintable(QString(" (advance, deg; the MAP sensors differ: B's advance at A's "
                                     "MAP, * where B has no such row" +
                                     inUnit + ")"))
                : qPrintable(" (advance, deg" + inUnit + ")"));
        if (lines.isEmpty()) continue;
        std::printf("  %-5s %5s %7s %7s\n", t == TableKind::Table2D ? "Row" : "MAP", "RPM", "A",
                    "B");
        for (const QString& l : lines) std::printf("%s\n", qPrintable(l));
    }
    if (d.otherBytes)
        std::printf("\n%d other byte%s differ%s\n", d.otherBytes, d.otherBytes == 1 ? "" : "s",
                    d.otherBytes == 1 ? "s" : "");
}

int runDiff(const CommandLine& line) {
    PressureUnit unit = PressureUnit::InHg;
    if (!takeUnits(line, unit)) return kUsage;
    const QStringList paths = line.files();
    const bool json = line.isSet("json");
    if (!line.stray(2).isEmpty() || paths.size() != 2) {
        printUsage(stderr);
        return kUsage;
    }
    ConfigImage a, b;
    // Both files are read, so one run tells of both; an unreadable one decides the code.
    const int failedA = readImage(paths[0], a), failedB = readImage(paths[1], b);
    if (failedA || failedB) return std::max(failedA, failedB);
    const ImageDiff d = compareImages(a, b);
    if (json)
        std::printf("%s", QJsonDocument(toJson(d, paths[0], paths[1], unit))
                              .toJson(QJsonDocument::Indented)
                              .constData());
    else
        printImageDiff(d, paths[0], paths[1], unit);
    return d.equal() ? kOk : kFailed;
}

}  // namespace velo::cli
