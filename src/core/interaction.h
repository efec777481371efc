#pragma once

#include <QString>
#include <optional>

namespace velo {

enum class Icon { None, Information, Exclamation, Critical, Question };
// YesNoDefaultNo: Yes and No with No as the default, for questions where Enter must not
// start anything.
enum class Buttons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
    RetryCancel,
    AbortRetryIgnore,
    YesNoDefaultNo
};
enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// Everything that asks or tells the user goes through here, so that workflows run the
// same in the window, in the command-line tool and under test.
class UserInteraction {
  public:
    virtual ~UserInteraction() = default;

    virtual Answer message(const QString& title, const QString& text, Buttons buttons = Buttons::Ok,
                           Icon icon = Icon::None) = 0;
    // Empty optional when the user cancels.
    virtual std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                            const QString& defaultText = {}) = 0;
    // Filter as pairs "description|pattern|description|pattern"; the first pair is
    // preselected. Empty optional when the user cancels the dialog.
    virtual std::optional<QString> openFileName(const QString& title, const QString& filter) = 0;
    virtual std::optional<QString> saveFileName(const QString& title, const QString& filter) = 0;
    // Extra detail that a window may put behind a button and a terminal prints as a
    // second line; the default drops it.
    virtual void detail(const QString& text) { (void)text; }
};

QString buttonsName(Buttons b);
QString iconName(Icon i);
QString answerName(Answer a);

}  // namespace velo
