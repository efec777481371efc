#include "app/ui/qt_interaction.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace velo {

namespace {

QMessageBox::StandardButtons standardButtons(Buttons b) {
    switch (b) {
        case Buttons::Ok:
            return QMessageBox::Ok;
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Buttons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case Buttons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(Icon i) {
    switch (i) {
        case Icon::None:
            return QMessageBox::NoIcon;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Critical:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

Answer toAnswer(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Abort:
            return Answer::Abort;
        case QMessageBox::Ignore:
            return Answer::Ignore;
        default:
            return Answer::Cancel;
    }
}

}  // namespace

QWidget* QtInteraction::owner() const {
    // A box asked from inside a modal dialog belongs over that dialog.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return parent_;
}

QStringList QtInteraction::qtFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        // The description usually names its pattern already.
        if (!desc.contains('(')) desc += " (" + parts[i + 1] + ")";
        out << desc;
    }
    return out;
}

Answer QtInteraction::message(const QString& title, const QString& text, Buttons buttons,
                              Icon icon) {
    QMessageBox box(boxIcon(icon), title, text, standardButtons(buttons), owner());
    if (!pendingDetail_.isEmpty()) {
        box.setDetailedText(pendingDetail_);
        pendingDetail_.clear();
    }
    // A box that has a Cancel button closes with Escape as Cancel; the error report has
    // none, so Escape must not pick one of its answers.
    if (buttons == Buttons::AbortRetryIgnore)
        box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    return toAnswer(box.exec());
}

std::optional<QString> QtInteraction::inputBox(const QString& title, const QString& prompt,
                                               const QString& defaultText) {
    bool ok = false;
    QString text =
        QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString> QtInteraction::openFileName(const QString& title, const QString& filter) {
    const QStringList filters = qtFilters(filter);
    QString selected = filters.value(0);
    QString path =
        QFileDialog::getOpenFileName(owner(), title, QString(), filters.join(";;"), &selected);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

std::optional<QString> QtInteraction::saveFileName(const QString& title, const QString& filter) {
    const QStringList filters = qtFilters(filter);
    QString selected = filters.value(0);
    // The existence question is the program's own, so the dialog must not ask it too.
    QString path = QFileDialog::getSaveFileName(owner(), title, QString(), filters.join(";;"),
                                                &selected, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return std::nullopt;
    return path;
}

}  // namespace velo
