// export / import: the table in use as a spreadsheet and back.
#include "cli.h"
#include "opened_table.h"

#include "table/table_csv.h"
#include "table/table_session.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <optional>

namespace velo::cli {

int runExport(const CommandLine& line) {
    PressureUnit unit = PressureUnit::InHg;
    if (!takeUnits(line, unit)) return kUsage;
    const QStringList args = line.files();
    if (args.size() != 2 || !line.stray(2).isEmpty()) return usage("export needs IN.dat OUT.csv");
    OpenedTable t;
    if (const int failed = t.open(args[0])) return failed;
    const QString csv = tableToCsv(*t.table, t.image.mapSensorInUse(), unit);
    if (const auto error = writeTextFile(args[1], csv)) {
        std::fprintf(stderr, "velo-igx-cli: cannot write %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(args[1])), qPrintable(*error));
        return kFileError;
    }
    return kOk;
}

int runImport(const CommandLine& line) {
    PressureUnit unit = PressureUnit::InHg;
    if (!takeUnits(line, unit)) return kUsage;
    const QStringList args = line.files();
    if (args.size() != 3 || !line.stray(3).isEmpty())
        return usage("import needs IN.dat TABLE.csv OUT.dat");
    OpenedTable t;
    if (const int failed = t.open(args[0])) return failed;
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "velo-igx-cli: cannot read %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(args[1])), qPrintable(file.errorString()));
        return kFileError;
    }
    if (const auto refused =
            importCsv(*t.table, csvText(file.readAll()), t.image.mapSensorInUse(), unit)) {
        std::fprintf(stderr, "Import Timing Table From CSV: %s\n", qPrintable(*refused));
        return kFailed;
    }
    return t.saveAs(args[2]);
}

}  // namespace velo::cli
