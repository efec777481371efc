#include "table/grid_commands.h"

#include "table/limit_notice.h"
#include "table/table_edit.h"
#include "table/table_session.h"

namespace velo {

namespace {

using Place = GridCommand::Place;
using Input = GridCommand::Input;
using Enabling = GridCommand::Enabling;

void copy(GridCommandRun& r) {
    r.clipboard = copySelection(r.table, r.sel, *r.copy);
}
void paste(GridCommandRun& r) {
    r.written = pasteSelection(r.table, r.sel, *r.copy, r.input);
    r.notice = outsideNotice("Paste", r.table, *r.written);
}
void modify(GridCommandRun& r) {
    modifySelection(r.table, r.sel, r.input, r.limit);
}
void interpolate(GridCommandRun& r) {
    interpolateSelection(r.table, r.sel, r.limit);
}
void smooth(GridCommandRun& r) {
    smoothSelection(r.table, r.sel, r.limit);
}
void undo(GridCommandRun& r) {
    r.table.undo();
}
void redo(GridCommandRun& r) {
    r.table.redo();
}

// Ctrl+Up/Down step the selection by half a degree, with Shift by two, as Modify entries.
GridCommand step(const char* id, Qt::Key key, bool large) {
    const bool up = key == Qt::Key_Up;
    const Qt::KeyboardModifiers mods =
        large ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier;
    return {.id = id,
            .caption = {},
            .place = Place::GridKey,
            .keys = {QKeySequence(QKeyCombination(mods, key))},
            .input = Input::Entry,
            .entry = QString(up ? "+" : "-") + (large ? "2" : "0.5"),
            .limit = LimitRule::Modify,
            .apply = modify};
}

}  // namespace

const std::vector<GridCommand>& gridCommands() {
    static const std::vector<GridCommand> rows = {
        {.id = "Copy", .caption = "Copy", .place = Place::PopUp, .apply = copy},
        {.id = "Paste",
         .caption = "Paste",
         .place = Place::PopUp,
         .input = Input::Clipboard,
         .enabling = Enabling::Paste,
         .apply = paste},
        // A cancelled box is an empty entry: every cell goes to the limited 0.
        {.id = "Modify",
         .caption = "Modify",
         .place = Place::PopUp,
         .input = Input::Entry,
         .title = kModifyTitle,
         .prompt = modifyPrompt,
         .limit = LimitRule::Modify,
         .cliWord = "ENTRY",
         .apply = modify},
        {.id = "Interpolate",
         .caption = "Interpolate",
         .place = Place::PopUp,
         .limit = LimitRule::GridCheck,
         .cliWord = "interpolate",
         .apply = interpolate},
        {.id = "Smooth",
         .caption = "Smooth",
         .place = Place::PopUp,
         .limit = LimitRule::GridCheck,
         .cliWord = "smooth",
         .apply = smooth},
        {.id = "Undo",
         .caption = "Undo",
         .place = Place::EditMenu,
         // QKeySequence::Undo's first binding everywhere, which needs no platform theme.
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_Z)},
         .enabling = Enabling::CanUndo,
         .apply = undo},
        {.id = "Redo",
         .caption = "Redo",
         .place = Place::EditMenu,
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_Y),
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
         .enabling = Enabling::CanRedo,
         .apply = redo},
        step("StepUp", Qt::Key_Up, false),
        step("StepDown", Qt::Key_Down, false),
        step("StepUpLarge", Qt::Key_Up, true),
        step("StepDownLarge", Qt::Key_Down, true),
    };
    return rows;
}

const GridCommand* gridCommand(const QString& id) {
    for (const GridCommand& c : gridCommands())
        if (c.id == id) return &c;
    return nullptr;
}

const GridCommand& cliGridCommand(const QString& entry) {
    const QString word = entry.trimmed().toLower();
    const GridCommand* takesEntry = nullptr;
    for (const GridCommand& c : gridCommands()) {
        if (c.cliWord == "ENTRY")
            takesEntry = &c;
        else if (!c.cliWord.isEmpty() && c.cliWord == word)
            return c;
    }
    return *takesEntry;
}

void applyGridCommand(const GridCommand& command, GridCommandRun& run) {
    if (command.limit) run.limit = *command.limit;
    if (!command.entry.isEmpty()) run.input = command.entry;
    command.apply(run);
}

}  // namespace velo
