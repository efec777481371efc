// export / import: the table in use as a spreadsheet and back.
#include "cli.h"

#include "core/error_report.h"
#include "core/scripted_interaction.h"
#include "data/file_commands.h"
#include "table/table_csv.h"
#include "table/table_session.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace velo::cli {

namespace {

// The data file loaded as File Open does and the table Edit Timing Table would open.
struct OpenedTable {
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui{stderr};
    AppContext ctx{image, state, ui};
    std::optional<TableSession> table;

    int open(const QString& path) {
        ctx.history = cliHistory();
        try {
            if (loadDataFile(ctx, path) != LoadResult::Loaded) return kFailed;
        } catch (const RunError& e) {
            std::fprintf(stderr, "Open Data File: %s\n", qPrintable(e.description));
            return kFileError;
        }
        if (!image.Table2DEnabled && !image.Table3DEnabled) {
            std::fputs("Timing table disabled.\n", stderr);
            return kFailed;
        }
        table.emplace(image.Table2DEnabled ? TableKind::Table2D : TableKind::Table3D, image);
        return kOk;
    }
};

}  // namespace

int runExport(const QStringList& args) {
    if (args.size() != 2 || args[0].startsWith("--") || args[1].startsWith("--"))
        return usage("export needs IN.dat OUT.csv");
    OpenedTable t;
    if (const int failed = t.open(args[0])) return failed;
    const QString csv = tableToCsv(*t.table, [&](int row) {
        return t.table->kind() == TableKind::Table2D
                   ? QString("ADV")
                   : TableSession::mapLabel(row, t.image.MAPSensor);
    });
    if (const auto error = writeTextFile(args[1], csv)) {
        std::fprintf(stderr, "velo-igx-cli: cannot write %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(args[1])), qPrintable(*error));
        return kFileError;
    }
    return kOk;
}

int runImport(const QStringList& args) {
    if (args.size() != 3 ||
        std::any_of(args.begin(), args.end(), [](const QString& a) { return a.startsWith("--"); }))
        return usage("import needs IN.dat TABLE.csv OUT.dat");
    OpenedTable t;
    if (const int failed = t.open(args[0])) return failed;
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "velo-igx-cli: cannot read %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(args[1])), qPrintable(file.errorString()));
        return kFileError;
    }
    if (const auto refused = importCsv(*t.table, QString::fromUtf8(file.readAll()))) {
        std::fprintf(stderr, "Import Timing Table From CSV: %s\n", qPrintable(*refused));
        return kFailed;
    }
    // As Save Timing Table Edits To Buffer, then Save File.
    Trap trap(t.ui);
    if (!t.table->save(t.image, trap)) return kFailed;
    try {
        if (!saveDataFile(t.ctx, args[2], trap)) return kFailed;
    } catch (const RunError& e) {
        std::fprintf(stderr, "velo-igx-cli: cannot write %s\n", qPrintable(e.description));
        return kFileError;
    }
    return kOk;
}

}  // namespace velo::cli
