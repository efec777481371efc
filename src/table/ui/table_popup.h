#pragma once

#include "table/table_session.h"

class QAction;

namespace velo {

class TableEditor;
class TimingGrid;

// The grids' pop-up commands (mnuPopUpCopy2D_Click ... mnuPopUpSmooth3D_Click): each works
// on `grid`'s selection in the open table, the system clipboard and the copy store.
// Nothing happens while no table is open or no data cell is selected.
enum class PopUpCommand { Copy, Paste, Modify, Interpolate, Smooth };
void runPopUpCommand(TableEditor& editor, TimingGrid& grid, TableKind kind, PopUpCommand command);

// Edit's Undo and Redo follow the open table's history; a new table brings a new one.
void followUndoStack(TableEditor& editor, QAction* undo, QAction* redo);

}  // namespace velo
