#include "app/ui/tuning_aids.h"

#include "app/ui/first_screen_hint.h"
#include "app/ui/main_window.h"
#include "app/ui/table_views.h"
#include "core/error_report.h"
#include "core/ui/qt_interaction.h"
#include "data/file_commands.h"
#include "table/pressure_units.h"
#include "table/table_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSettings>

namespace velo {

namespace {
// "Menu > Command" as the menus show it, without the keyboard marks.
QString captionPath(const MainWindow& w, const char* menu, const char* action) {
    return QString(w.menu(menu)->title() + " > " + w.action(action)->text()).remove(QChar('&'));
}
}  // namespace

TuningAids::TuningAids(MainWindow& window, QSettings& settings)
    : w_(window), settings_(settings), recent_(settings) {
    recentMenu_ = new QMenu(&window);
    recentMenu_->setObjectName("mnuRecentFilesList");
    recentMenu_->setToolTipsVisible(true);
    w_.action("mnuRecentFiles")->setMenu(recentMenu_);
    connect(recentMenu_, &QMenu::aboutToShow, this, &TuningAids::fillRecentFiles);
    recentMenu_->installEventFilter(this);
    fillRecentFiles();
    buildUnits();

    const QString demos = QFileInfo(w_.tableEditor().files.path("demo_3d.dat")).absolutePath();
    hint_ =
        new FirstScreenHint(captionPath(w_, "mnuComm", "mnuDownload"),
                            captionPath(w_, "mnuFile", "mnuOpenFile"), demos, w_.centralWidget());
    if (auto* box = qobject_cast<QBoxLayout*>(w_.centralWidget()->layout()))
        box->insertWidget(box->count() - 1, hint_, 1000, Qt::AlignCenter);  // the room, centred
    w_.image().BufferEmpty.onChange([this](bool) { showHint(); });
    connect(&w_.state(), &MainState::openTableChanged, this, &TuningAids::showHint);
    showHint();
}

void TuningAids::showHint() {
    // A wizard's new table shows before the buffer holds anything.
    hint_->setVisible(w_.image().BufferEmpty && !w_.state().tableOpen());
}

void TuningAids::fillRecentFiles() {
    recentMenu_->clear();
    const QStringList paths = recent_.paths();
    if (paths.isEmpty()) recentMenu_->addAction("(none yet)")->setEnabled(false);
    for (int i = 0; i < paths.size(); ++i) {
        const QFileInfo info(paths[i]);
        // A folder in the list opens no more than a file that has gone.
        const bool there = info.isFile();
        // "R&D tune.dat" is a name, not an accelerator.
        auto shown = [](QString s) { return s.replace('&', "&&"); };
        QAction* a = recentMenu_->addAction(
            QString("&%1 %2    %3%4")
                .arg(i + 1)
                .arg(shown(info.fileName()), shown(QDir::toNativeSeparators(info.absolutePath())),
                     there ? QString() : QString("  (not found)")));
        a->setObjectName(QString("mnuRecentFile%1").arg(i + 1));
        a->setToolTip(QDir::toNativeSeparators(paths[i]) + (there ? "" : "\nNot found."));
        a->setEnabled(there);
        a->setData(paths[i]);
        connect(a, &QAction::triggered, this, [this, path = paths[i]] { openRecent(path); });
    }
}

// A missing file's entry is greyed, and a click on it still says why it does not open.
bool TuningAids::eventFilter(QObject* watched, QEvent* event) {
    if (watched != recentMenu_ || event->type() != QEvent::MouseButtonRelease) return false;
    const QAction* a =
        recentMenu_->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    if (!a || a->isEnabled() || a->data().toString().isEmpty()) return false;
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    QMetaObject::invokeMethod(
        this, [this, path = a->data().toString()] { openRecent(path); }, Qt::QueuedConnection);
    return true;
}

void TuningAids::openRecent(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        w_.context().ui.message("Recent Files",
                                QDir::toNativeSeparators(path) +
                                    "\r\nThis file is not there any more (moved, renamed or "
                                    "on a drive that is not connected).",
                                Buttons::Ok, Icon::Exclamation);
        return;
    }
    if (w_.tableViews() && !w_.tableViews()->finishEdits()) return;
    // A slot: an error no trap took ends here.
    Trap(w_.context().ui).step([&] { mnuOpenFile_Click(w_.context(), path); });
    settings_.setValue(kLastFolderKey, QFileInfo(path).absolutePath());  // as the dialog does
    w_.statusLine().updateEditStatus();
}

void TuningAids::buildUnits() {
    auto* menu = new QMenu(&w_);
    menu->setObjectName("mnuPressureUnitsList");
    w_.action("mnuPressureUnits")->setMenu(menu);
    auto* group = new QActionGroup(menu);
    const PressureUnit stored = storedPressureUnit(settings_);
    w_.tableEditor().setPressureUnit(stored);
    for (const PressureUnitRow& row : kPressureUnits) {
        const PressureUnit u = row.unit;
        QAction* a = menu->addAction(row.name);
        a->setObjectName(QString("mnuUnits") + row.alias);
        a->setCheckable(true);
        a->setChecked(u == stored);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, u] {
            storePressureUnit(settings_, u);
            w_.tableEditor().setPressureUnit(u);
        });
    }
}

}  // namespace velo
