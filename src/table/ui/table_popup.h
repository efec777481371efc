#pragma once

#include "table/grid_commands.h"

class QAction;

namespace velo {

class TableEditor;
class TimingGrid;

// A grid command from the window: on `grid`'s selection in the open table (a pop-up item,
// mnuPopUpCopy2D_Click ... mnuPopUpSmooth3D_Click), or for an Edit menu command on the open
// table, `grid` left out. It uses the system clipboard and the copy store. Nothing happens
// while no table is open or, for a selection command, no data cell of `grid` is selected.
void runGridCommand(TableEditor& editor, const GridCommand& command, TimingGrid* grid = nullptr);
// The window's item of `command`: mnuPopUp<id>2D or 3D in the grids' pop-ups, mnu<id> in
// the Edit menu.
QString itemName(const GridCommand& command, TableKind grid = TableKind::Table2D);

// An Edit menu item enabled by the open table's history (CanUndo, CanRedo); a new table
// brings a new one.
void followUndoStack(TableEditor& editor, QAction* item, GridCommand::Enabling by);

}  // namespace velo
