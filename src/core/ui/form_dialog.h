#pragma once

#include <QDialog>
#include <QPointer>
#include <set>

class QAbstractButton;
class QLineEdit;

namespace velo {

// A modal form of the program, made fresh each time and shown in the middle of the
// screen. None has Cancel: the title bar's close button closes it, Escape does nothing.
// Text boxes given to watchBox() are checked when the focus leaves them.
class FormDialog : public QDialog {
  public:
    using QDialog::QDialog;
    // Shows it modally in the middle of the screen.
    int execCentred();

  protected:
    void watchBox(QLineEdit* box);
    // The user has left `box`: the form checks and corrects it and redraws.
    virtual void boxLeft(QLineEdit* box) { (void)box; }
    // Enter or a button reached from a box: that box is checked first.
    void checkFocusedBox();

    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void leave(QLineEdit* box);

    std::set<QObject*> boxes_;
    bool validating_ = false;
    // A box left by pressing a button: checked when the button is released, so that a
    // message about it does not swallow the click.
    QPointer<QLineEdit> pending_;
};

}  // namespace velo
