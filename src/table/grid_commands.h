#pragma once

#include "data/timing_limits.h"
#include "table/cell_range.h"

#include <QKeySequence>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace velo {

class TableSession;
struct CopyStore;

// One run of a grid command: what it works on, and what it hands back to whoever ran it.
struct GridCommandRun {
    TableSession& table;
    CellRange sel = {};
    QString input = {};         // the entry (typed or the command's own), or the clipboard's text
    CopyStore* copy = nullptr;  // the window's copy store, for Copy and Paste
    LimitRule limit = LimitRule::Modify;  // the command's own, set from its row

    std::optional<QString> clipboard = {};  // Copy: onto the clipboard; that grid's Paste on
    std::optional<CellRange> written = {};  // Paste: the block to select
    QString notice = {};                    // the status bar's word about it
};

// A command the user applies to the open table's grid selection (the Edit menu's to the
// open table). The grids' pop-ups, the Edit menu, the grid's keys, velo-igx-cli modify and
// the random user all read these rows: a new command is one row and its apply function.
struct GridCommand {
    enum class Place { PopUp, EditMenu, GridKey };
    enum class Input { None, Entry, Clipboard };
    enum class Enabling { Always, Paste, CanUndo, CanRedo };

    QString id;  // the items' names: mnuPopUp<id>2D and 3D, mnu<id>
    QString caption;
    Place place;
    QList<QKeySequence> keys = {};
    Input input = Input::None;
    QString entry = {};  // an entry of the command's own instead of a typed one
    QString title = {};  // the input box's, with `prompt`
    QString (*prompt)() = nullptr;
    std::optional<LimitRule> limit = {};
    Enabling enabling = Enabling::Always;
    // velo-igx-cli modify's ENTRY for it: this word, or "ENTRY" for the entry itself.
    QString cliWord = {};
    void (*apply)(GridCommandRun&) = nullptr;
};

const std::vector<GridCommand>& gridCommands();
const GridCommand* gridCommand(const QString& id);
// The row velo-igx-cli modify runs for ENTRY: the one whose word it is, else the one that
// takes the entry itself.
const GridCommand& cliGridCommand(const QString& entry);

// Runs `command` with its limit rule and, when it has one, its own entry.
void applyGridCommand(const GridCommand& command, GridCommandRun& run);

}  // namespace velo
