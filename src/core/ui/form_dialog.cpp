#include "core/ui/form_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

namespace velo {

int FormDialog::execCentred() {
    adjustSize();
    // Wide enough for the whole title in the frame.
    const int titleWidth = QFontMetrics(font()).horizontalAdvance(windowTitle()) + 140;
    if (width() < titleWidth) resize(titleWidth, height());
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    return exec();
}

void FormDialog::keyPressEvent(QKeyEvent* event) {
    // There is no Cancel: Escape must not close the form half-applied.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FormDialog::watchBox(QLineEdit* box) {
    boxes_.insert(box);
    box->installEventFilter(this);
}

void FormDialog::leave(QLineEdit* box) {
    if (validating_) return;
    validating_ = true;
    boxLeft(box);
    validating_ = false;
}

void FormDialog::checkFocusedBox() {
    if (QLineEdit* box = pending_) {
        pending_ = nullptr;
        leave(box);
    }
    if (auto* box = qobject_cast<QLineEdit*>(focusWidget()); box && boxes_.count(box)) leave(box);
}

bool FormDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && boxes_.count(watched)) {
        auto* box = static_cast<QLineEdit*>(watched);
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window coming up (a message box, a menu) is not leaving the box.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !isVisible())
            return QDialog::eventFilter(watched, event);
        // The new focus is already set when the old one hears of it.
        auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        if (reason == Qt::MouseFocusReason && button && isAncestorOf(button)) {
            pending_ = box;
            button->installEventFilter(this);
        } else {
            leave(box);
        }
    } else if (event->type() == QEvent::MouseButtonRelease && pending_) {
        // Before the button sees its release, so its click comes after the check.
        QLineEdit* box = pending_;
        pending_ = nullptr;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        const bool wasDown = button && button->isDown();
        leave(box);
        // A message box in between took the focus and with it the button's pressed
        // state: the click the user made is made here.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (wasDown && !button->isDown() && button->rect().contains(at)) {
            button->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velo
