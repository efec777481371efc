#include "table/ui/table_popup.h"

#include "table/limit_notice.h"

#include <QAction>
#include <QUndoStack>

#include "table/table_commands.h"
#include "table/table_edit.h"
#include "table/ui/timing_grid.h"

#include <QClipboard>
#include <QGuiApplication>

namespace velo {

void runPopUpCommand(TableEditor& editor, TimingGrid& grid, TableKind kind, PopUpCommand command) {
    TableSession* table = editor.session();
    const TimingGrid::Selection s = grid.selection();
    if (!table || table->kind() != kind || s.top < 1 || s.left < 1) return;
    const CellRange sel{s.top, s.left, s.bottom, s.right};
    AppContext& ctx = editor.ctx;
    QClipboard* clipboard = QGuiApplication::clipboard();
    switch (command) {
        case PopUpCommand::Copy: {
            const QString text = copySelection(*table, sel, editor.copy);
            clipboard->clear();
            clipboard->setText(text);
            const MainState::Menus m = ctx.state.menus();
            ctx.state.setPaste(kind == TableKind::Table2D || m.paste2D,
                               kind == TableKind::Table3D || m.paste3D);
            return;
        }
        case PopUpCommand::Paste: {
            const CellRange block = pasteSelection(*table, sel, editor.copy, clipboard->text());
            // The grid shows the block written, which the edge may have cut.
            grid.setCurrentCell(block.top, block.left);
            grid.extendSelection(block.bottom, block.right);
            if (const QString out = outsideNotice("Paste", *table, block); !out.isEmpty())
                ctx.tell(out);
            break;
        }
        case PopUpCommand::Modify: {
            // A cancelled box is an empty entry: every cell goes to the limited 0.
            const QString entry =
                ctx.ui.inputBox(kModifyTitle, modifyPrompt(), {}).value_or(QString());
            modifySelection(*table, sel, entry);
            break;
        }
        case PopUpCommand::Interpolate:
            interpolateSelection(*table, sel);
            break;
        case PopUpCommand::Smooth:
            smoothSelection(*table, sel);
            break;
    }
    editor.window->hideValueLabels();
}

void followUndoStack(TableEditor& editor, QAction* undo, QAction* redo) {
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    QObject::connect(&editor, &TableEditor::sessionChanged, undo, [undo, redo](TableSession* s) {
        undo->setEnabled(s && s->undoStack()->canUndo());
        redo->setEnabled(s && s->undoStack()->canRedo());
        if (!s) return;
        QObject::connect(s->undoStack(), &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
        QObject::connect(s->undoStack(), &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    });
    undo->setEnabled(false);
    redo->setEnabled(false);
}

}  // namespace velo
