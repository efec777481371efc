#include "opened_table.h"

#include "cli.h"
#include "core/error_report.h"
#include "data/file_commands.h"
#include "table/table_check.h"

#include <cstdio>

namespace velo::cli {

int OpenedTable::open(const QString& path) {
    ctx.history = cliHistory();
    try {
        if (loadDataFile(ctx, path) != LoadResult::Loaded) return kFailed;
    } catch (const RunError& e) {
        std::fprintf(stderr, "Open Data File: %s\n", qPrintable(e.description));
        return kFileError;
    }
    const auto kind = image.tableInUse();
    if (!kind) {
        std::fprintf(stderr, "%s\n", kNoTableInUse);
        return kFailed;
    }
    table.emplace(*kind, image);
    return kOk;
}

int OpenedTable::saveAs(const QString& path) {
    Trap trap(ui);
    if (!table->save(image, trap)) return kFailed;
    try {
        if (!saveDataFile(ctx, path, trap)) return kFailed;
    } catch (const RunError& e) {
        std::fprintf(stderr, "velo-igx-cli: cannot write %s\n", qPrintable(e.description));
        return kFileError;
    }
    return kOk;
}

}  // namespace velo::cli
