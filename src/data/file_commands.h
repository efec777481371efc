#pragma once

#include "core/app_context.h"
#include "data/config_image.h"

#include <optional>

namespace velo {

class Trap;

inline constexpr const char* kDataFileFilter = "IGX-1 data files (*.dat)|*.dat";
inline constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*";

// The open dialog with its not-found check. Returns the chosen path, empty when the
// dialog is cancelled; a Cancel in the not-found box raises "Canceled File Open". An
// empty `Filter` is replaced by the all-files filter in the caller's variable.
QString FileOpen(UserInteraction& ui, const QString& FileTitle, QString& Filter,
                 const QString& NotExistMessage = {});
// The save dialog with its replace question; an empty `ExistMessage` becomes
// "Replace existing file?" in the caller's variable.
QString FileSave(UserInteraction& ui, const QString& FileTitle, QString& Filter,
                 QString& ExistMessage);

// Reads and decodes a data file into `image`; a short file is told under `title` and
// leaves `image` alone, a file that cannot be read raises.
bool readImageFile(UserInteraction& ui, const QString& path, ConfigImage& image,
                   const QString& title);

enum class LoadResult { Loaded, Short };

// Reads a data file into the buffer and decodes it, sets the table menus, the 3D chart,
// the display name and the title. A short file is told to the user and leaves the
// buffer cleared; a file that cannot be read raises a run-time error.
LoadResult loadDataFile(AppContext& ctx, const QString& path);
// Encodes the parameters into the buffer (each byte a statement of `trap`) and writes
// it as a data file; the old file stays as it was unless the new one is complete.
// False when the trap was aborted; a file that cannot be written raises.
bool saveDataFile(AppContext& ctx, const QString& path, Trap& trap);

// File menu: "&Open File" and "&Save File". A `path` given takes the open dialog's place
// (Tune History's Open In Buffer, Recent Files); the questions around it stay.
void mnuOpenFile_Click(AppContext& ctx, const QString& path = {});
void mnuSaveFile_Click(AppContext& ctx);

}  // namespace velo
