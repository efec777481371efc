#pragma once

#include "data/file_commands.h"
#include "table/image_diff.h"

#include <optional>

namespace velo {

class ControllerLink;

// The buffer, as Save File would write it, next to a data file.
struct FileComparison {
    QString path;
    ConfigImage buffer, file;
};
// File menu: "Compare With File...". Picks and reads the file as Open File does but leaves
// the buffer as it is. Nothing to show when the buffer is empty, the dialog is cancelled
// or the file cannot be used; the user has been told why.
std::optional<FileComparison> mnuCompareFile_Click(AppContext& ctx);
// The same for a path already chosen: a data file or a Tune History entry ("@ID").
std::optional<FileComparison> compareBufferWith(AppContext& ctx, const QString& path,
                                                const QString& title);

inline constexpr const char* kCompareControllerTitle = "Compare With Controller";
// Communications menu: "Compare With Controller". The controller's EEPROM, read as a
// download reads it, stands for the file (`path` names its device); the buffer, title and
// menus stay as they are.
std::optional<FileComparison> compareBufferWithController(AppContext& ctx, ControllerLink& link);
// What the controller holds against the buffer, for the status line.
QString controllerSummary(const ImageDiff& diff);

}  // namespace velo
