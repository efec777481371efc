#include "hands.h"

#include "app/ui/main_window.h"
#include "app/ui/table_views.h"
#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_widget.h"
#include "event_log.h"
#include "table/grid_commands.h"
#include "table/table_commands.h"
#include "table/ui/table_popup.h"
#include "table/ui/timing_grid.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QtTest/QTest>
#include <array>

using namespace velo;

namespace monkey {

void typeText(QWidget* w, const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.unicode()), QString(c), {});
}

void Hands::randomKey(QWidget* target) {
    static const std::array keys = {
        Qt::Key_Escape,   Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,        Qt::Key_Down,
        Qt::Key_Return,   Qt::Key_Tab,  Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_PageUp,
        Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End,    Qt::Key_F2,        Qt::Key_Z,
        Qt::Key_Y,        Qt::Key_C,    Qt::Key_V,      Qt::Key_5,         Qt::Key_Minus,
        Qt::Key_Space};
    const Qt::Key k = dice_.pick(keys);
    Qt::KeyboardModifiers mods;
    if (k == Qt::Key_Z || k == Qt::Key_Y || k == Qt::Key_C || k == Qt::Key_V)
        mods = dice_.chance(0.8) ? Qt::ControlModifier : Qt::NoModifier;
    if (dice_.chance(0.2)) mods |= Qt::ShiftModifier;
    // The grid's key commands (the steps) now and then.
    if ((k == Qt::Key_Up || k == Qt::Key_Down) && dice_.chance(0.4)) {
        QList<QKeyCombination> commands;
        for (const GridCommand& g : gridCommands())
            if (g.place == GridCommand::Place::GridKey) commands << g.keys[0][0];
        const QKeyCombination pressed = dice_.pick(commands);
        return key(pressed.key(), pressed.keyboardModifiers(), target);
    }
    key(k, mods, target);
}

void Hands::key(Qt::Key k, Qt::KeyboardModifiers mods, QWidget* target) {
    if (!target) target = QApplication::focusWidget() ? QApplication::focusWidget() : window_;
    events.add(QString("key %1 on %2")
                   .arg(QKeySequence(int(k) | int(mods)).toString(), target->objectName()));
    QTest::keyClick(target, k, mods);
}

QPoint Hands::cellPoint(TimingGrid& g, int row, int col) {
    const QModelIndex i = g.model()->index(row, col);
    return g.visualRect(i).center();
}

void Hands::pickCell(TimingGrid& g, int& row, int& col) {
    row = dice_.chance(0.05) ? 0 : dice_.between(1, g.model()->rowCount() - 1);
    col = dice_.chance(0.05) ? 0 : dice_.between(1, g.model()->columnCount() - 1);
}

void Hands::typeCell(TimingGrid& g) {
    int row, col;
    pickCell(g, row, col);
    const QString text = cellText(dice_, huge_);
    const Qt::Key end = dice_.pick(std::array{Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape,
                                              Qt::Key_Down, Qt::Key_Right, Qt::Key_Return});
    events.add(QString("type \"%1\" into %2 (%3,%4) then %5")
                   .arg(text, g.objectName())
                   .arg(row)
                   .arg(col)
                   .arg(QKeySequence(end).toString()));
    g.setFocus();
    g.setCurrentCell(row, col);
    if (dice_.chance(0.5)) {
        g.editCell(row, col, text);
    } else {
        QTest::keyClick(&g, Qt::Key_F2);
        if (QWidget* f = QApplication::focusWidget(); f && f != &g) {
            if (auto* e = qobject_cast<QLineEdit*>(f)) e->clear();
            typeText(f, text);
        }
    }
    if (QWidget* f = QApplication::focusWidget()) QTest::keyClick(f, end);
}

void Hands::select(TimingGrid& g) {
    int r1, c1, r2, c2;
    pickCell(g, r1, c1);
    pickCell(g, r2, c2);
    QWidget* vp = g.viewport();
    Qt::KeyboardModifiers mods = dice_.chance(0.2) ? Qt::ShiftModifier : Qt::NoModifier;
    if (dice_.chance(0.1)) mods = Qt::ControlModifier;
    events.add(QString("select %1 (%2,%3)-(%4,%5) %6")
                   .arg(g.objectName())
                   .arg(r1)
                   .arg(c1)
                   .arg(r2)
                   .arg(c2)
                   .arg(mods ? "with modifier" : ""));
    if (dice_.chance(0.4)) {
        g.setFocus();
        g.setCurrentCell(r1, c1);
        g.extendSelection(r2, c2);
        return;
    }
    if (dice_.chance(0.1)) {
        events.add("  double click");
        QTest::mouseDClick(vp, Qt::LeftButton, mods, cellPoint(g, r1, c1));
        return;
    }
    QTest::mousePress(vp, Qt::LeftButton, mods, cellPoint(g, r1, c1));
    QMouseEvent move(QEvent::MouseMove, cellPoint(g, r2, c2), vp->mapToGlobal(cellPoint(g, r2, c2)),
                     Qt::NoButton, Qt::LeftButton, mods);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, mods, cellPoint(g, r2, c2));
}

void Hands::paste(TimingGrid& g) {
    const QString clip = clipText(dice_, huge_);
    QString shown = clip.left(80);
    shown.replace('\t', "\\t").replace('\r', "\\r").replace('\n', "\\n");
    events.add("clipboard \"" + shown + "\"");
    QApplication::clipboard()->setText(clip);
    if (dice_.chance(0.5)) select(g);
    const bool is2D = &g == w().tableViews()->grid2D();
    QAction* p =
        w().action(itemName(*gridCommand("Paste"), is2D ? TableKind::Table2D : TableKind::Table3D));
    if (dice_.chance(0.5)) {
        // As a right click would: Paste follows the copy store and the clipboard.
        setPasteForRightClick(w().tableEditor(), is2D ? TableKind::Table2D : TableKind::Table3D,
                              clip);
    }
    if (p && p->isEnabled()) {
        events.add("menu " + p->objectName());
        p->trigger();
    } else {
        key(Qt::Key_V, Qt::ControlModifier, &g);
    }
}

void Hands::rightClick(TimingGrid& g) {
    int r, c;
    pickCell(g, r, c);
    events.add(QString("right click %1 (%2,%3)").arg(g.objectName()).arg(r).arg(c));
    QTest::mouseClick(g.viewport(), Qt::RightButton, {}, cellPoint(g, r, c));
}

void Hands::chartGesture() {
    TableViews* v = w().tableViews();
    QWidget* chart = v->chart2D()->isVisible() ? static_cast<QWidget*>(v->chart2D())
                                               : static_cast<QWidget*>(v->chart3D());
    if (!chart->isVisible()) return;
    const Qt::MouseButton button = dice_.chance(0.7) ? Qt::LeftButton : Qt::RightButton;
    const Qt::KeyboardModifiers mods = dice_.chance(0.3) ? Qt::ShiftModifier : Qt::NoModifier;
    auto at = [&] {
        // Now and then off the widget's edge, as a fast drag leaves it.
        const int m = dice_.chance(0.1) ? 40 : 0;
        return QPoint(dice_.between(-m, chart->width() + m),
                      dice_.between(-m, chart->height() + m));
    };
    const QPoint from = at();
    const int moves = dice_.between(0, 6);
    events.add(QString("drag %1 %2%3 from (%4,%5), %6 moves")
                   .arg(chart->objectName(), button == Qt::LeftButton ? "left" : "right",
                        mods ? "+shift" : "")
                   .arg(from.x())
                   .arg(from.y())
                   .arg(moves));
    auto send = [&](QEvent::Type t, QPoint p, Qt::MouseButton b, Qt::MouseButtons held) {
        QMouseEvent e(t, p, chart->mapToGlobal(p), b, held, mods);
        QApplication::sendEvent(chart, &e);
    };
    send(QEvent::MouseButtonPress, from, button, button);
    if (dice_.chance(0.1)) {
        events.add("  double click");
        send(QEvent::MouseButtonRelease, from, button, Qt::NoButton);
        send(QEvent::MouseButtonDblClick, from, button, button);
    }
    QPoint p = from;
    for (int i = 0; i < moves; ++i) send(QEvent::MouseMove, p = at(), Qt::NoButton, button);
    if (dice_.chance(0.05)) {
        key(Qt::Key_Escape);
        if (!chart->isVisible()) return;
    }
    if (dice_.chance(0.95)) send(QEvent::MouseButtonRelease, p, button, Qt::NoButton);
}

// A modal dialog: the parameter dialogs, the wizards, compare, print.
void Hands::onDialog(QWidget* dialog) {
    auto* d = qobject_cast<QDialog*>(dialog);
    const QString name =
        dialog->objectName().isEmpty() ? dialog->metaObject()->className() : dialog->objectName();
    // Printing dialogs only ever go away: a real printer may be behind them.
    if (!d || dialog->inherits("QAbstractPrintDialog") || dialog->inherits("QPageSetupDialog") ||
        qobject_cast<QPrintPreviewDialog*>(dialog)) {
        events.add("reject " + name);
        if (d)
            d->reject();
        else
            dialog->close();
        return;
    }
    QList<QWidget*> controls;
    for (QWidget* c : dialog->findChildren<QWidget*>())
        if (c->isVisible() && c->isEnabled() &&
            (qobject_cast<QAbstractSlider*>(c) || qobject_cast<QAbstractSpinBox*>(c) ||
             qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c) ||
             qobject_cast<QAbstractButton*>(c)))
            controls << c;
    // Buttons that end the dialog are pressed less often than the rest is changed.
    if (controls.isEmpty() || dice_.chance(0.15))
        return key(dice_.chance(0.6) ? Qt::Key_Escape : Qt::Key_Return, {}, dialog);
    if (dice_.chance(0.15))
        return randomKey(QApplication::focusWidget() ? QApplication::focusWidget() : dialog);
    QWidget* c = dice_.pick(controls);
    const QString where = name + "." + c->objectName();
    if (auto* s = qobject_cast<QAbstractSlider*>(c)) {
        const int v = dice_.between(s->minimum() - 2, s->maximum() + 2);
        events.add(QString("slider %1 to %2").arg(where).arg(v));
        s->setFocus();
        if (dice_.chance(0.5)) {
            s->setSliderDown(true);
            s->setSliderPosition(v);
            s->setSliderDown(false);
        } else {
            QTest::keyClick(s, dice_.pick(std::array{Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp,
                                                     Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End}));
        }
    } else if (auto* b = qobject_cast<QComboBox*>(c)) {
        const int i = dice_.below(b->count());
        events.add(QString("combo %1 to %2").arg(where).arg(i));
        b->setCurrentIndex(i);
    } else if (qobject_cast<QLineEdit*>(c) || qobject_cast<QAbstractSpinBox*>(c)) {
        const QString text = cellText(dice_, huge_);
        events.add(QString("type \"%1\" into %2").arg(text, where));
        c->setFocus();
        QTest::keyClick(c, Qt::Key_A, Qt::ControlModifier);
        typeText(c, text);
        if (dice_.chance(0.5)) QTest::keyClick(c, dice_.chance(0.5) ? Qt::Key_Tab : Qt::Key_Return);
    } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
        events.add("click " + where + " \"" + button->text() + "\"");
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }
}

}  // namespace monkey
