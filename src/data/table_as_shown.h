#pragma once

#include "core/app_context.h"
#include "data/config_image.h"

#include <optional>

namespace velo {

// The setting that turns the question of `offerTableAsShown` off (on unless set false).
inline constexpr const char* kAskTableAsShownKey = "TimingTable/AskWriteAsShown";

// The table in use as the buffer's bytes hold it against what the table arrays (the grid)
// hold: a trigger timing changed in the module dialog moves the arrays, never the bytes.
struct TableShift {
    int writtenFor;  // the trigger timing the bytes were written against
    int now;         // the trigger timing they will be read with
};

// Set when the bytes, read with the trigger timing a save or upload writes, run other
// advances than the arrays hold by whole degrees.
std::optional<TableShift> tableShift(const ConfigImage& image);
// The table in use written from its array, as Save Timing Table writes it. False, and
// nothing written, when a value cannot be encoded.
bool writeTableAsShown(ConfigImage& image);
// Before Save File and Upload: asks whether to write the table as the grid shows it (off
// with `ctx.askTableAsShown`); nothing is asked with a table open or an empty buffer.
void offerTableAsShown(AppContext& ctx);

}  // namespace velo
