#include "core/scripted_interaction.h"

namespace velo {

QString buttonsName(Buttons b) {
    switch (b) {
        case Buttons::Ok:
            return "OK";
        case Buttons::OkCancel:
            return "OK/Cancel";
        case Buttons::YesNo:
        case Buttons::YesNoDefaultNo:
            return "Yes/No";
        case Buttons::YesNoCancel:
            return "Yes/No/Cancel";
        case Buttons::RetryCancel:
            return "Retry/Cancel";
        case Buttons::AbortRetryIgnore:
            return "Abort/Retry/Ignore";
    }
    return {};
}

QString iconName(Icon i) {
    switch (i) {
        case Icon::None:
            return "none";
        case Icon::Information:
            return "information";
        case Icon::Exclamation:
            return "exclamation";
        case Icon::Critical:
            return "critical";
        case Icon::Question:
            return "question";
    }
    return {};
}

QString answerName(Answer a) {
    switch (a) {
        case Answer::Ok:
            return "OK";
        case Answer::Cancel:
            return "Cancel";
        case Answer::Yes:
            return "Yes";
        case Answer::No:
            return "No";
        case Answer::Retry:
            return "Retry";
        case Answer::Abort:
            return "Abort";
        case Answer::Ignore:
            return "Ignore";
    }
    return {};
}

Answer ScriptedInteraction::defaultAnswer(Buttons b) {
    switch (b) {
        case Buttons::Ok:
        case Buttons::OkCancel:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
        case Buttons::YesNoDefaultNo:
            return Answer::Yes;
        case Buttons::RetryCancel:
            return Answer::Cancel;
        case Buttons::AbortRetryIgnore:
            return Answer::Abort;
    }
    return Answer::Ok;
}

Answer ScriptedInteraction::message(const QString& title, const QString& text, Buttons buttons,
                                    Icon icon) {
    Answer a = defaultAnswer(buttons);
    if (!answers_.empty()) {
        a = answers_.front();
        answers_.pop_front();
    }
    Shown s{title, text, buttons, icon, a};
    if (echo_) {
        QString flat = text;
        flat.replace("\r\n", " ").replace('\n', ' ');
        std::fprintf(echo_, "%s: %s\n", qPrintable(title), qPrintable(flat));
        // The detail belongs to this box; a terminal shows it as the line after.
        if (!pendingEcho_.isEmpty()) std::fprintf(echo_, "  %s\n", qPrintable(pendingEcho_));
        pendingEcho_.clear();
        std::fflush(echo_);
    }
    if (onShow) onShow(s);
    shown_.push_back(s);
    return a;
}

std::optional<QString> ScriptedInteraction::inputBox(const QString& title, const QString& prompt,
                                                     const QString& defaultText) {
    (void)defaultText;
    fileDialogs_ << "input " + title + ": " + prompt;
    return take(inputs_);
}

std::optional<QString> ScriptedInteraction::nextFile(const QString& kind, const QString& title,
                                                     const QString& filter) {
    fileDialogs_ << kind + " " + title + " [" + filter + "]";
    return take(files_);
}

std::optional<QString> ScriptedInteraction::take(std::deque<QString>& queue) {
    if (queue.empty()) return std::nullopt;
    const QString v = queue.front();
    queue.pop_front();
    if (v.isNull()) return std::nullopt;
    return v;
}

std::optional<QString> ScriptedInteraction::openFileName(const QString& title,
                                                         const QString& filter) {
    return nextFile("open", title, filter);
}

std::optional<QString> ScriptedInteraction::saveFileName(const QString& title,
                                                         const QString& filter) {
    return nextFile("save", title, filter);
}

void ScriptedInteraction::detail(const QString& text) {
    details_ << text;
    pendingEcho_ = text;
}

QStringList ScriptedInteraction::texts() const {
    QStringList out;
    for (const auto& s : shown_) out << s.text;
    return out;
}

void ScriptedInteraction::clear() {
    shown_.clear();
    details_.clear();
    fileDialogs_.clear();
}

}  // namespace velo
