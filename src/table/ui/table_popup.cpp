#include "table/ui/table_popup.h"

#include "table/table_commands.h"
#include "table/ui/timing_grid.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QUndoStack>

namespace velo {

void runGridCommand(TableEditor& editor, const GridCommand& command, TimingGrid* grid) {
    TableSession* table = editor.session();
    if (!table) return;
    AppContext& ctx = editor.ctx;
    GridCommandRun run{*table, {}, {}, &editor.copy};
    const bool onSelection = command.place != GridCommand::Place::EditMenu;
    if (onSelection) {
        const TimingGrid::Selection s = grid ? grid->selection() : TimingGrid::Selection{};
        if (!grid || grid->session() != table || s.top < 1 || s.left < 1) return;
        run.sel = {s.top, s.left, s.bottom, s.right};
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (command.input == GridCommand::Input::Clipboard) run.input = clipboard->text();
    if (command.input == GridCommand::Input::Entry && command.prompt)
        run.input = ctx.ui.inputBox(command.title, command.prompt(), {}).value_or(QString());
    applyGridCommand(command, run);
    if (run.clipboard) {
        clipboard->clear();
        clipboard->setText(*run.clipboard);
        const MainState::Menus m = ctx.state.menus();
        ctx.state.setPaste(table->kind() == TableKind::Table2D || m.paste2D,
                           table->kind() == TableKind::Table3D || m.paste3D);
        return;
    }
    if (run.written) {
        // The grid shows the block written, which the edge may have cut.
        grid->setCurrentCell(run.written->top, run.written->left);
        grid->extendSelection(run.written->bottom, run.written->right);
    }
    if (!run.notice.isEmpty()) ctx.tell(run.notice);
    if (onSelection) editor.window->hideValueLabels();
}

QString itemName(const GridCommand& command, TableKind grid) {
    if (command.place == GridCommand::Place::EditMenu) return "mnu" + command.id;
    return "mnuPopUp" + command.id + (grid == TableKind::Table2D ? "2D" : "3D");
}

void followUndoStack(TableEditor& editor, QAction* item, GridCommand::Enabling by) {
    const bool redo = by == GridCommand::Enabling::CanRedo;
    auto can = [redo](TableSession* s) {
        return s && (redo ? s->undoStack()->canRedo() : s->undoStack()->canUndo());
    };
    QObject::connect(
        &editor, &TableEditor::sessionChanged, item, [item, redo, can](TableSession* s) {
            item->setEnabled(can(s));
            if (!s) return;
            QObject::connect(s->undoStack(),
                             redo ? &QUndoStack::canRedoChanged : &QUndoStack::canUndoChanged, item,
                             &QAction::setEnabled);
        });
    item->setEnabled(false);
}

}  // namespace velo
