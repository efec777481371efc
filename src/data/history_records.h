#pragma once

#include "core/app_context.h"
#include "core/history_event.h"
#include "data/config_image.h"

#include <QByteArray>

namespace velo {

// What the workflows keep in Tune History. Without a store these do nothing; none throws.
namespace history {

inline constexpr const char* kBufferKept = "The earlier buffer is kept in Tune History (Ctrl+H).";
inline constexpr const char* kEditsKept = "The table's edits are kept in Tune History (Ctrl+H).";
inline constexpr const char* kClippedKept = "The clipped table is kept in Tune History (Ctrl+H).";
inline constexpr const char* kKeptAtExit =
    "The buffer left at the last exit is kept in Tune History (Ctrl+H).";
inline constexpr const char* kPartlyProgrammed =
    "Controller may be partly programmed: upload again before running the engine.";

QByteArray rawBytes(const ConfigImage& image);
// The buffer as Save File would write it; its raw bytes when a value cannot be encoded.
QByteArray savedBytes(const ConfigImage& image);

// The parameter variables and table arrays as they are in memory, which the bytes do not
// always hold (a trigger timing moved in the dialog, a wizard's table); false when `packed`
// is not such a form, the image then unchanged.
QByteArray packParams(const ConfigImage& image);
bool unpackParams(ConfigImage& image, const QByteArray& packed);

// Keeps `bytes` with the firmware last identified. The new entry's id, 0 when none was
// written.
qint64 keep(AppContext& ctx, HistoryEvent event, const QByteArray& bytes,
            const QString& source = {}, const QString& note = {});
// Before a download or an open replaces a loaded buffer: kept when it differs from the
// newest entry, and the user told where.
void keepBufferBeforeDrop(AppContext& ctx, const QString& note);
// Before `path` is written over: the file as it is, unless it already holds `next` or
// is no file. True when a new entry was written.
bool keepFileBeforeReplace(TuneHistory* store, const QString& path, const QByteArray& next);
// Newest transfer an upload-failed: the controller may be half programmed.
bool lastUploadFailed(const TuneHistory* store);

}  // namespace history
}  // namespace velo
