// The grid's selection, clipboard texts, keys and in-place editor.
#include "table/ui/timing_grid.h"

#include "table/grid_commands.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace velo {

TimingGrid::Selection TimingGrid::selection() const {
    const QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty()) return {row(), col(), row(), col()};
    Selection s{cells[0].row(), cells[0].column(), cells[0].row(), cells[0].column()};
    for (const QModelIndex& i : cells) {
        s.top = std::min(s.top, i.row());
        s.bottom = std::max(s.bottom, i.row());
        s.left = std::min(s.left, i.column());
        s.right = std::max(s.right, i.column());
    }
    return s;
}

void TimingGrid::extendSelection(int bottom, int right) {
    const int r = std::max(1, row()), c = std::max(1, col());
    bottom = std::clamp(bottom, 1, rows() - 1);
    right = std::clamp(right, 1, cols() - 1);
    const QItemSelection block(model()->index(std::min(r, bottom), std::min(c, right)),
                               model()->index(std::max(r, bottom), std::max(c, right)));
    selectionModel()->select(block, QItemSelectionModel::ClearAndSelect);
}

QString TimingGrid::clip(const Selection& b) const {
    QStringList lines;
    for (int r = b.top; r <= b.bottom; ++r) {
        QStringList cells;
        for (int c = b.left; c <= b.right; ++c) cells << text(r, c);
        lines << cells.join('\t');
    }
    return lines.join('\r');
}

void TimingGrid::setClip(const QString& text) {
    const Selection s = selection();
    QStringList lines = text.split('\r');
    // Other programs end their last row with a line break too: no empty row after it.
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    for (int i = 0; i < lines.size() && s.top + i < rows(); ++i) {
        const QStringList cells = lines[i].split('\t');
        for (int j = 0; j < cells.size() && s.left + j < cols(); ++j)
            if (isDataCell(s.top + i, s.left + j)) setText(s.top + i, s.left + j, cells[j]);
    }
}

void TimingGrid::editCell(int row, int col, const QString& typed) {
    if (!isDataCell(row, col)) return;
    setCurrentCell(row, col);
    const QModelIndex i = model()->index(row, col);
    if (!editing()) QTableView::edit(i);
    auto* line = qobject_cast<QLineEdit*>(indexWidget(i));
    if (!line) return;
    if (typed.isEmpty())
        line->selectAll();
    else
        line->setText(typed);
}

bool TimingGrid::editing() const {
    return state() == QAbstractItemView::EditingState;
}

bool TimingGrid::finishEdit() {
    if (!editing()) return true;
    QWidget* editor = nullptr;
    for (int r = 1; r < rows() && !editor; ++r)
        for (int c = 1; c < cols() && !editor; ++c) editor = indexWidget(model()->index(r, c));
    if (!editor) return true;
    commitData(editor);
    if (!gate_.mayClose()) return false;
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void TimingGrid::keyPressEvent(QKeyEvent* event) {
    // The grid's own key commands (the steps) on the selection.
    const QKeySequence pressed(
        QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    for (const GridCommand& command : gridCommands()) {
        if (editing() || !session_ || command.place != GridCommand::Place::GridKey ||
            !command.keys.contains(pressed))
            continue;
        const Selection s = selection();
        GridCommandRun run{*session_, {s.top, s.left, s.bottom, s.right}};
        if (s.top >= 1 && s.left >= 1) applyGridCommand(command, run);
        return;
    }
    // Typing a number on a selected cell starts the edit with that character.
    const QString t = event->text();
    if (!editing() && t.size() == 1 && QString("0123456789+-.").contains(t[0]) &&
        isDataCell(row(), col())) {
        editCell(row(), col(), t);
        return;
    }
    QTableView::keyPressEvent(event);
}

void TimingGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->modifiers(), event->pos());
}

void TimingGrid::commitData(QWidget* editor) {
    auto* line = qobject_cast<QLineEdit*>(editor);
    // The editor sits on the cell it was opened for, even when a click moved the current.
    QModelIndex cell;
    for (int r = 1; r < rows() && !cell.isValid(); ++r)
        for (int c = 1; c < cols(); ++c)
            if (indexWidget(model()->index(r, c)) == editor) {
                cell = model()->index(r, c);
                break;
            }
    if (!line || !cell.isValid()) return;
    const QString typed = line->text();
    if (!gate_.admit(editor, typed)) return;
    gate_.beginCheck();
    const bool ok = !validator_ || validator_(cell.row(), cell.column(), typed);
    gate_.endCheck(ok, editor, typed);
    if (!ok) {
        // Refused: the editor stays with the text selected, for the user to correct.
        QPersistentModelIndex back(cell);
        QPointer<QLineEdit> edit(line);
        auto refocus = [this, back, edit] {
            gate_.settle();
            if (!edit) return;
            if (back.isValid() && currentIndex() != back)
                selectionModel()->setCurrentIndex(back, QItemSelectionModel::ClearAndSelect);
            edit->setFocus();
            edit->selectAll();
        };
        edit->setFocus();
        edit->selectAll();
        QMetaObject::invokeMethod(this, refocus, Qt::QueuedConnection);
        return;
    }
    model()->setData(cell, typed, Qt::EditRole);
    emit afterEdit(cell.row(), cell.column());
}

void TimingGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (gate_.mayClose()) QTableView::closeEditor(editor, hint);
}

}  // namespace velo
