#include "app/ui/help_window.h"

#include "core/interaction.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace velo {

QDialog* showUserGuide(UserInteraction& ui, const QString& path, QWidget* parent, QDialog* window) {
    if (!QFile::exists(path)) {
        ui.message(
            "Help",
            QString("The user guide %1 cannot be found.").arg(QDir::toNativeSeparators(path)),
            Buttons::Ok, Icon::Exclamation);
        return window;
    }
    if (!window) {
        window = new QDialog(parent, Qt::Window);
        window->setObjectName("frmHelp");
        window->setWindowTitle("Velo IGX Help");
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* browser = new QTextBrowser(window);
        browser->setObjectName("helpBrowser");
        browser->document()->setDocumentMargin(14);
        layout->addWidget(browser);
        // The guide's pictures at their own size, within a 1280 x 800 screen.
        window->resize(1000, 720);
    }
    window->findChild<QTextBrowser*>("helpBrowser")->setSource(QUrl::fromLocalFile(path));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace velo
