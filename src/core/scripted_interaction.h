#pragma once

#include "core/interaction.h"

#include <QList>
#include <QStringList>
#include <cstdio>
#include <deque>
#include <functional>

namespace velo {

// Answers from a script, records everything shown. Without a scripted answer a box
// takes the answer that lets the work go on (OK, Yes), the error report Abort and the
// Retry/Cancel box Cancel. With an echo stream every box is printed as "TITLE: TEXT".
class ScriptedInteraction : public UserInteraction {
  public:
    struct Shown {
        QString title, text;
        Buttons buttons;
        Icon icon;
        Answer answer;
    };

    explicit ScriptedInteraction(FILE* echo = nullptr) : echo_(echo) {}

    void answer(Answer a) { answers_.push_back(a); }
    // std::nullopt scripts a cancelled dialog.
    void answerFile(std::optional<QString> path) { files_.push_back(path.value_or(QString())); }
    void answerInput(std::optional<QString> text) { inputs_.push_back(text.value_or(QString())); }
    // Called before every box is answered (tests use it to act "while the box is up").
    std::function<void(const Shown&)> onShow;

    Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;
    std::optional<QString> openFileName(const QString& title, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter) override;
    void detail(const QString& text) override;

    const QList<Shown>& shown() const { return shown_; }
    QStringList texts() const;
    QStringList details() const { return details_; }
    QStringList fileDialogs() const { return fileDialogs_; }
    void clear();

    static Answer defaultAnswer(Buttons b);

  private:
    std::optional<QString> nextFile(const QString& kind, const QString& title,
                                    const QString& filter);
    static std::optional<QString> take(std::deque<QString>& queue);

    FILE* echo_;
    std::deque<Answer> answers_;
    std::deque<QString> files_, inputs_;  // a null string is a cancel
    QList<Shown> shown_;
    QStringList details_, fileDialogs_;
    QString pendingEcho_;
};

}  // namespace velo
