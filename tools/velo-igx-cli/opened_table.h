#pragma once

#include "core/scripted_interaction.h"
#include "data/workbench.h"
#include "table/table_session.h"

#include <optional>

namespace velo::cli {

// The data file loaded as File Open does and the table Edit Timing Table would open.
struct OpenedTable : Workbench<ScriptedInteraction> {
    OpenedTable() : Workbench(stderr) {}
    std::optional<TableSession> table;

    // 0, or the exit code after saying why on stderr.
    int open(const QString& path);
    // As Save Timing Table Edits To Buffer, then Save File.
    int saveAs(const QString& path);
};

}  // namespace velo::cli
