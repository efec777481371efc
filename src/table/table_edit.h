#pragma once

#include "core/copy_store.h"
#include "data/timing_limits.h"
#include "table/cell_range.h"

#include <QString>

namespace velo {

class TableSession;

inline constexpr const char* kModifyTitle = "Modify Selection";
// The input box's prompt: seven lines joined by CR LF, none after the last.
QString modifyPrompt();

// A Modify entry read once for the whole selection.
struct ModifyEntry {
    bool percent = false;   // contains "%"
    bool isSigned = false;  // contains "+", or else "-"
    double operand = 0;     // leading number of the entry without "%" and "+"

    static ModifyEntry parse(const QString& entry);
    double apply(double x) const;
};

// Each of these is one user action: one undo step when it changed anything. The grid
// commands (grid_commands.h) run them, each with its limit rule.

// Pop-up "Modify": `entry` is what the input box returned (a cancelled box gives "",
// which sets every cell to 0 before the limits). Cells read from their text.
void modifySelection(TableSession& table, const CellRange& sel, const QString& entry,
                     LimitRule rule);

// Clip text of a block: tab between the cells of a row, CR between rows.
QString clipText(const TableSession& table, const CellRange& sel);
// Pop-up "Copy": fills the store and returns the text to put on the clipboard.
QString copySelection(const TableSession& table, const CellRange& sel, CopyStore& store);
// Pop-up "Paste" of the clipboard's text: the block is sized by the last copy's spans (the
// selection when both are 0) and cut at the grid's edge. Pasted cells keep the text as
// pasted; the values take its leading number. Returns the block written, for the grid to
// select.
CellRange pasteSelection(TableSession& table, const CellRange& sel, const CopyStore& store,
                         const QString& clipboardText);

// Pop-up "Interpolate": a row or a column fills its inner cells linearly from its two end
// cells; a 3D block fills every cell but its four corners bilinearly from them. Pop-up
// "Smooth": each cell the mean of the cross of cells around it inside the selection, from
// the values before. Both work on the values and write texts "#0.0".
void interpolateSelection(TableSession& table, const CellRange& sel, LimitRule rule);
void smoothSelection(TableSession& table, const CellRange& sel, LimitRule rule);

// A taken grid edit as one step.
void editCell(TableSession& table, int row, int col, const QString& text);

}  // namespace velo
