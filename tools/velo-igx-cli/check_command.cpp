// check: the Edit menu's table check from a terminal.
#include "cli.h"

#include "core/port_settings.h"
#include "data/config_image.h"
#include "table/table_check.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <cstdio>
#include <memory>

namespace velo::cli {

namespace {

QJsonObject toJson(const TableFinding& f, const CheckRules& rules) {
    QJsonObject o;
    o["kind"] = f.kindName();
    o["rpm"] = f.rpm();
    // As diff names a cell's row.
    o["gridRow"] = f.row;
    o["row"] = f.rowLabel.isEmpty() ? QString("ADV") : f.rowLabel;
    o["advance"] = f.advance;
    o["sentence"] = f.sentence(rules);
    return o;
}

}  // namespace

void printFindings(const QVector<TableFinding>& all, const CheckRules& rules, FILE* to,
                   const char* prefix) {
    int notes[2] = {0, 0};
    for (const TableFinding& f : all) {
        if (f.isNote())
            ++notes[f.kind == TableFinding::AtTrigger ? 0 : 1];
        else
            std::fprintf(to, "%s%s\n", prefix, qPrintable(f.sentence(rules)));
    }
    if (notes[0] + notes[1] > 0)
        std::fprintf(to, "%sNotes: %d cells at the trigger timing, %d at the lower limit.\n",
                     prefix, notes[0], notes[1]);
}

int runCheck(const CommandLine& line) {
    PressureUnit unit = PressureUnit::InHg;
    if (!takeUnits(line, unit)) return kUsage;
    if (const QString a = line.stray(1); !a.isEmpty())
        return usage("check takes one FILE.dat, --json and --units, not " + a);
    if (line.files().isEmpty()) return usage("check needs FILE.dat");
    const bool json = line.isSet("json");
    auto image = std::make_unique<ConfigImage>();
    if (const int failed = readImage(line.files()[0], *image)) return failed;
    const auto settings = openUserSettings();
    const CheckRules rules = CheckRules::fromSettings(*settings);
    const auto table = checkedTableInUse(*image);
    const QVector<TableFinding> all =
        table ? checkTable(*table, rules, unit) : QVector<TableFinding>{};
    if (json) {
        QJsonArray findings, notes;
        for (const TableFinding& f : all) (f.isNote() ? notes : findings).append(toJson(f, rules));
        QJsonObject o;
        o["table"] = !table                              ? QJsonValue()
                     : table->kind == TableKind::Table2D ? QJsonValue("2D")
                                                         : QJsonValue("3D");
        if (table && table->kind == TableKind::Table3D) o["pressureUnit"] = unitName(unit);
        o["findings"] = findings;
        o["notes"] = notes;
        std::printf("%s", QJsonDocument(o).toJson(QJsonDocument::Indented).constData());
    } else if (!table) {
        std::printf("%s\n", kNoTableInUse);
    } else {
        std::printf("%s timing table: %s.\n", table->kind == TableKind::Table2D ? "2D" : "3D",
                    qPrintable(findingsText(countFindings(all))));
        printFindings(all, rules, stdout);
    }
    return countFindings(all) == 0 ? kOk : kFailed;
}

}  // namespace velo::cli
