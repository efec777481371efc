#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

namespace velo {

// Which of the in-place editor's commits and closes are the user's. Qt commits one editor
// more than once for a single act (focus out, then the cell change), and a message box
// opened during the check takes the focus and commits again; each commit is followed by
// a close request.
class CellEditGate {
  public:
    enum class Phase {
        Idle,      // no check running
        Checking,  // the check (and any message it shows) is running
    };

    // A commit of `text` from `editor`: true when it must be checked. Commits that arrive
    // during a check, or repeat a refused text before its moment is over, are dropped and
    // keep the editor open.
    bool admit(QObject* editor, const QString& text);
    void beginCheck() { phase_ = Phase::Checking; }
    // The check's verdict; a refusal keeps the editor open with the text to correct.
    void endCheck(bool accepted, QObject* editor, const QString& text);
    // The editor asks to close: false keeps it open, once for each dropped or refused commit.
    bool mayClose();
    // The events of the refusal's moment are done: the same text counts as new again.
    void settle() { refusedEditor_ = nullptr; }

    Phase phase() const { return phase_; }

  private:
    Phase phase_ = Phase::Idle;
    bool keepOpen_ = false;
    QPointer<QObject> refusedEditor_;
    QString refusedText_;
};

}  // namespace velo
