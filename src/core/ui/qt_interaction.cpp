#include "core/ui/qt_interaction.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QStyle>

namespace velo {

namespace {

// Qt's dialog cuts a whole path typed into the folder it shows down to the name, and its
// Enter then empties the field: a name field that names a file there opens that file.
class WholePathTyped : public QObject {
  public:
    WholePathTyped(QFileDialog& dialog, QLineEdit* name)
        : QObject(&dialog), dialog_(dialog), name_(name) {
        name->installEventFilter(this);
    }
    QString path;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != name_ || event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        const QFileInfo typed(dialog_.directory().filePath(name_->text()));
        if (name_->text().isEmpty() || !typed.isFile()) return false;
        path = typed.absoluteFilePath();
        static_cast<QDialog&>(dialog_).done(QDialog::Accepted);
        return true;
    }

  private:
    QFileDialog& dialog_;
    QLineEdit* name_;
};

QMessageBox::StandardButtons standardButtons(Buttons b) {
    switch (b) {
        case Buttons::Ok:
            return QMessageBox::Ok;
        case Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Buttons::YesNo:
        case Buttons::YesNoDefaultNo:
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

// A box without Cancel that Escape and the close button must leave up: QMessageBox
// would otherwise take a button with the reject role (Abort) for them.
class AnswerRequiredBox : public QMessageBox {
  public:
    using QMessageBox::QMessageBox;
    bool answerRequired = false;

  protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (answerRequired && e->matches(QKeySequence::Cancel)) return;
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (answerRequired && !clickedButton()) {
            e->ignore();
            return;
        }
        QMessageBox::closeEvent(e);
    }
};

}  // namespace

int QtInteraction::minimumWidthFor(const QString& title) {
    // The title bar's font is the window manager's; the application's bold font is a
    // fair stand-in. Room for the icon and the frame's buttons on top.
    QFont font = QApplication::font();
    font.setBold(true);
    const int buttons = 3 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return QFontMetrics(font).horizontalAdvance(title) + buttons + 48;
}

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
    AnswerRequiredBox box(boxIcon(icon), title, text, standardButtons(buttons), owner());
    if (!pendingDetail_.isEmpty()) {
        box.setDetailedText(pendingDetail_);
        pendingDetail_.clear();
    }
    // A box that has a Cancel button closes with Escape as Cancel; the error report has
    // none, so Escape must not pick one of its answers. Qt would make Retry its default,
    // and Enter on a time-out report would then bring the same report back.
    if (buttons == Buttons::AbortRetryIgnore) {
        box.answerRequired = true;
        box.setDefaultButton(QMessageBox::Abort);
    }
    if (buttons == Buttons::YesNoDefaultNo) box.setDefaultButton(QMessageBox::No);
    // The box sizes itself to its text; a short text would cut the title.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(
            new QSpacerItem(minimumWidthFor(title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
    return toAnswer(box.exec());
}

std::optional<QString> QtInteraction::inputBox(const QString& title, const QString& prompt,
                                               const QString& defaultText) {
    QInputDialog box(owner());
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    // As with the message boxes: never narrower than the title needs. The dialog's layout
    // sizes it from its field, so the field is widened.
    if (auto* field = box.findChild<QLineEdit*>()) {
        const int margins = 2 * box.style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
        field->setMinimumWidth(minimumWidthFor(title) - margins);
    }
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

QString QtInteraction::startFolder() const {
    const QString last = settings_ ? settings_->value(kLastFolderKey).toString() : QString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

std::optional<QString> QtInteraction::fileName(bool save, const QString& title,
                                               const QString& filter) {
    const QStringList filters = qtFilters(filter);
    QFileDialog dialog(owner(), title, startFolder(), filters.join(";;"));
    dialog.setObjectName("dlgCommonDialog1");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The existence questions are the program's own, so the dialog must not ask them too.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectNameFilter(filters.value(0));
    if (save) {
        // A name typed without an extension takes the filter's (".dat"), as a Windows
        // dialog with a default extension does: the replace question asks about that file.
        auto suffixOf = [](const QString& nameFilter) {
            static const QRegularExpression single(R"(\(\*\.(\w+)\)$)");
            return single.match(nameFilter).captured(1);
        };
        dialog.setDefaultSuffix(suffixOf(filters.value(0)));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&](const QString& f) { dialog.setDefaultSuffix(suffixOf(f)); });
    }
    WholePathTyped* typed = nullptr;
    if (!save)
        if (auto* name = dialog.findChild<QLineEdit*>("fileNameEdit"))
            typed = new WholePathTyped(dialog, name);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QString path =
        typed && !typed->path.isEmpty() ? typed->path : dialog.selectedFiles().value(0);
    if (path.isEmpty()) return std::nullopt;
    if (settings_) settings_->setValue(kLastFolderKey, QFileInfo(path).absolutePath());
    return path;
}

std::optional<QString> QtInteraction::openFileName(const QString& title, const QString& filter) {
    return fileName(false, title, filter);
}

std::optional<QString> QtInteraction::saveFileName(const QString& title, const QString& filter) {
    return fileName(true, title, filter);
}

}  // namespace velo
