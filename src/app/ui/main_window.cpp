#include "app/ui/main_window.h"

#include "app/ui/controller_compare.h"
#include "app/ui/help_window.h"
#include "app/ui/history_wiring.h"
#include "app/ui/port_setup_frame.h"
#include "app/ui/progress_frame.h"
#include "app/ui/table_views.h"
#include "app/ui/tuning_aids.h"
#include "app/ui/window_hooks.h"
#include "core/error_report.h"
#include "data/file_commands.h"
#include "data/table_as_shown.h"
#include "data/ui/param_dialogs.h"
#include "report/ui/report_commands.h"
#include "table/csv_commands.h"
#include "table/table_commands.h"
#include "table/ui/check_marks.h"
#include "table/ui/compare_dialog.h"
#include "table/ui/table_popup.h"
#include "table/ui/timing_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

namespace velo {

namespace {
constexpr int kKeyEscape = 27;
constexpr const char* kHelpFile = "Velo_IGX_Help.html";
using Menus = MainState::Menus;
}  // namespace

MainWindow::MainWindow(UserInteraction& ui, QSettings& settings, BrandInfo brand, Options options,
                       std::unique_ptr<SerialPort> port)
    : ui_(ui),
      settings_(settings),
      portSettings_(settings),
      brand_(std::move(brand)),
      options_(std::move(options)) {
    setObjectName("frmVelo_Main");
    setWindowTitle(state_.BaseTitle);
    if (!port)
        port = makeSystemPort([this](int n) {
            return options_.deviceOverride.isEmpty() ? portSettings_.deviceFor(n)
                                                     : options_.deviceOverride;
        });
    link_ = std::make_unique<ControllerLink>(ctx_, std::move(port));
    ctx_.askTableAsShown = settings_.value(kAskTableAsShownKey, true).toBool();
    tableEditor_ = std::make_unique<TableEditor>(ctx_);
    tableEditor_->files = options_.files;

    buildMenus(menuCommands());
    buildCentral();
    hooks_ = std::make_unique<WindowHooks>(*this, settings_);
    history_ = std::make_unique<HistoryWiring>(*this, settings_);
    aids_ = std::make_unique<TuningAids>(*this, settings_);
    connect(&state_, &MainState::titleChanged, this, &QWidget::setWindowTitle);
    connect(&state_, &MainState::menusChanged, this, &MainWindow::applyMenus);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { Form_KeyPress(kKeyEscape); });
    applyMenus();
    // Fits a 1280 x 800 screen with its frame, every grid cell readable.
    resize(1260, 740);
}

MainWindow::~MainWindow() {
    // Exit answered No: the edits are kept while all that shows the table is there.
    tableEditor_->keepEdits("at exit");
    tableEditor_->close(true);
    // QWidget deletes its children after the members they refer to: the windows and the
    // views go first.
    qDeleteAll(findChildren<QDialog*>(Qt::FindDirectChildrenOnly));
    delete takeCentralWidget();
}

// Every menu command in the order the menus show them; a row without a caption is a
// separator.
std::vector<MainWindow::MenuCommand> MainWindow::menuCommands() {
    TableEditor& t = *tableEditor_;
    const QKeySequence none, open(QKeySequence::Open), save(QKeySequence::Save);
    auto on = [&t](void (*command)(TableEditor&)) { return [&t, command] { command(t); }; };
    // clang-format off
    std::vector<MenuCommand> c = {
        {"mnuFile", "mnuNewTable", "&New Timing Table", none, [&t] { mnuNewTable_Click(t); },
         &Menus::newTable},
        {"mnuFile", "mnuOpenFile", "&Open File", open, [this] { mnuOpenFile_Click(ctx_); }},
        {"mnuFile", "mnuSaveFile", "&Save File", save, [this] { mnuSaveFile_Click(ctx_); }},
        {"mnuFile", "mnuRecentFiles", "&Recent Files", none, [] {}},  // TuningAids' submenu
        {"mnuFile", "mnuCompareFile", "&Compare With File...", none, on(compareWithFile)},
        {"mnuFile", "mnuTuneHistory", "Tune &History...", QKeySequence(Qt::CTRL | Qt::Key_H),
         [this] { history_->showWindow(); }},
        {"mnuFile", "mnuExportCsv", "&Export Timing Table As CSV...", none, on(mnuExportCsv_Click)},
        {"mnuFile", "mnuImportCsv", "&Import Timing Table From CSV...", none,
         on(mnuImportCsv_Click)},
        {"mnuFile", "mnuSep2"},
        {"mnuFile", "mnuPrintTable", "&Print Parameters And Timing Table", QKeySequence::Print,
         [this, &t] { mnuPrintTable_Click(this, t, brand_); }},
        {"mnuFile", "mnuPrintSetup", "Print Set&up...", none,
         [this] { mnuPrintSetup_Click(this); }},
        {"mnuFile", "mnuSep3"},
        {"mnuFile", "mnuExit", "E&xit", none, [this] { mnuExit_Click(); }},

        {"mnuEdit", "mnuEditModParams", "Edit &Module Parameters", none,
         [this] { mnuEditModParams_Click(); }},
        {"mnuEdit", "mnuEditGPIOParams", "Edit &GPIO Parameters", none,
         [this] { mnuEditGPIOParams_Click(); }},
        {"mnuEdit", "mnuEditTimingTable", "Edit &Timing Table", none,
         [&t] { mnuEditTimingTable_Click(t); }, &Menus::editTimingTable},
        {"mnuEdit", "mnuSaveTbl", "Save Timing Table Edits To Buffer", none,
         [this] { mnuSaveTbl_Click(); }, &Menus::saveTbl},
        {"mnuEdit", "mnuCloseTbl", "Close Timing Table", none, [this] { mnuCloseTbl_Click(); },
         &Menus::closeTbl},
        {"mnuEdit", "mnuCheckTable", "Chec&k Timing Table", none, [this, &t] {
             mnuCheckTable_Click(t, tableViews_->grid2D(), tableViews_->grid3D(), settings_, this); }},
        {"mnuEdit", "mnuSepUndo"},  // the table's Edit menu commands follow
        {"mnuEdit", "mnuPressureUnits", "Pressure &Units", none, [] {}},  // TuningAids' submenu

        {"mnuComm", "mnuDownload", "&Download From EEPROM", none,
         [this] { link_->mnuDownload_Click(); }},
        {"mnuComm", "mnuUpload", "&Upload To EEPROM", none,
         [this] {
             offerTableAsShown(ctx_);
             if (uploadDespiteFindings(ctx_, settings_)) link_->mnuUpload_Click(); }},
        {"mnuComm", "mnuCompareController", "&Compare With Controller", none,
         [this] { compareWithController(*this); }},
        {"mnuComm", "mnuPortSetup", "&Port Setup", none, [this] { mnuPortSetup_Click(); }},

        {"mnuHelp", "mnuHelpContents", "&Contents", none, [this] { mnuHelpContents_Click(); }},
        {"mnuHelp", "mnuAbout", "&About...", none, [this] { mnuAbout_Click(); }},
    };
    // clang-format on
    auto at = std::find_if(c.begin(), c.end(), [](auto& m) { return m.name == "mnuSepUndo"; });
    for (const GridCommand& g : gridCommands())
        if (g.place == GridCommand::Place::EditMenu)
            at = c.insert(at + 1, MenuCommand{"mnuEdit", itemName(g), g.caption, {}, [&t, &g] {
                                                  runGridCommand(t, g);
                                              }});
    // The grids' context menus: the same commands for each table.
    for (const TableKind kind : {TableKind::Table2D, TableKind::Table3D}) {
        const bool is2D = kind == TableKind::Table2D;
        for (const GridCommand& g : gridCommands()) {
            if (g.place != GridCommand::Place::PopUp) continue;
            c.push_back({QString("mnuPopUpEdit") + (is2D ? "2D" : "3D"),
                         itemName(g, kind),
                         g.caption,
                         {},
                         [this, &t, is2D, &g] {
                             runGridCommand(t, g,
                                            is2D ? tableViews_->grid2D() : tableViews_->grid3D());
                         },
                         g.enabling != GridCommand::Enabling::Paste ? nullptr
                         : is2D                                     ? &Menus::paste2D
                                                                    : &Menus::paste3D});
        }
    }
    return c;
}

void MainWindow::buildMenus(std::vector<MenuCommand> commands) {
    const std::pair<const char*, const char*> bar[] = {{"mnuFile", "&File"},
                                                       {"mnuEdit", "&Edit"},
                                                       {"mnuComm", "&Communications"},
                                                       {"mnuHelp", "&Help"}};
    for (const auto& [name, caption] : bar) {
        menus_[name] = menuBar()->addMenu(caption);
        menus_[name]->setObjectName(name);
    }
    for (const char* dim : {"2D", "3D"}) {
        const QString name = QString("mnuPopUpEdit%1").arg(dim);
        menus_[name] = new QMenu(QString("PopUp Edit %1").arg(dim), this);
        menus_[name]->setObjectName(name);
    }
    for (MenuCommand& c : commands) {
        QMenu* m = menus_.value(c.menu);
        if (c.caption.isEmpty()) {
            m->addSeparator()->setObjectName(c.name);
            continue;
        }
        QAction* a = m->addAction(c.caption);
        a->setObjectName(c.name);
        a->setShortcut(c.shortcut);
        actions_[c.name] = a;
        // Any command may change the buffer or the open table.
        connect(a, &QAction::triggered, this, [this, run = std::move(c.run)] {
            // Typed but not yet entered is still the user's edit.
            if (tableViews_ && !tableViews_->finishEdits()) return;
            status_->notice({});  // a notice speaks of the command before only
            Trap(ui_).step(run);  // an error no trap took must not leave the slot
            status_->updateEditStatus();
        });
        if (c.enabledBy) enablingRules_.push_back({a, c.enabledBy});
    }
    for (const GridCommand& g : gridCommands()) {
        if (g.place != GridCommand::Place::EditMenu) continue;
        action(itemName(g))->setShortcuts(g.keys);
        if (g.enabling != GridCommand::Enabling::Always)
            followUndoStack(*tableEditor_, action(itemName(g)), g.enabling);
    }
}

void MainWindow::buildCentral() {
    status_ = std::make_unique<StatusLine>(statusBar(), image_, state_, *link_, *tableEditor_);
    auto* central = new QWidget(this);
    central->setObjectName("centralArea");
    auto* layout = new QVBoxLayout(central);

    buildPortSetup(central);

    fraProgress1_ = new ProgressFrame(state_, central);

    // Placed by Form_Resize, under the two frames.
    tableViews_ =
        new TableViews(*tableEditor_, central, menu("mnuPopUpEdit2D"), menu("mnuPopUpEdit3D"));

    layout->addWidget(portSetup_, 0, Qt::AlignHCenter);
    layout->addWidget(fraProgress1_, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    setCentralWidget(central);

    image_.BufferEmpty.onChange([this](bool) { status_->updateStatus(); });
}

void MainWindow::Form_Load() {
    // Abort leaves the rest of the load; Ignore goes on with the next step.
    Trap trap(ui_);
    QCoreApplication::setApplicationName(kAppTitle);
    if (!options_.files.ownFolder.isEmpty()) QDir::setCurrent(options_.files.ownFolder);
    state_.AbortRequested = false;
    // A setting that cannot be read leaves no port chosen.
    state_.CommPort = 0;
    trap.step(
        [&] { state_.CommPort = PortSettings::parseCommPort(portSettings_.storedCommPort()); });
    portSetup_->fillPortList();
    trap.step([&] {
        PortSettings::checkListPosition(state_.CommPort);
        portSetup_->cboPort()->setCurrentIndex(state_.CommPort - 1);
    });
    if (!trap.step([&] { link_->setCommPort(state_.CommPort); })) return;
    state_.CommErrorCount = 0;
    image_.ClearEEPROMBuffer();
    trap.step([&] { loadChartTemplates(*tableEditor_); });
    tableEditor_->setMapLabels(0);
    trap.step([&] { tableViews_->setUpGrids(); });
    if (!trap.step([&] { state_.setTitle(brand_.makerName() + " " + state_.BaseTitle); })) return;
    state_.DisplayName.clear();
    state_.FirmwareID.clear();
    state_.setMenus(MainState::Menus{});
    tableEditor_->copy.clear();
    state_.UnitModel = "IGX-1";
    QApplication::clipboard()->clear();
    portSetup_->showDeviceOf(state_.CommPort);
    status_->updateStatus();
    status_->updateEditStatus();
}

void MainWindow::mnuEditModParams_Click() {
    mnuCloseTbl_Click();
    showModParamsDialog(ctx_, this);
    tableParametersChanged(*tableEditor_);
}

void MainWindow::mnuEditGPIOParams_Click() {
    mnuCloseTbl_Click();
    showGPIOParamsDialog(ctx_, this);
}

void MainWindow::mnuCloseTbl_Click() {
    velo::mnuCloseTbl_Click(*tableEditor_);
}

void MainWindow::mnuSaveTbl_Click() {
    velo::mnuSaveTbl_Click(*tableEditor_);
}

void MainWindow::mnuAbout_Click() {
    Trap trap(ui_);
    trap.step([&] { ui_.message("About", aboutText(brand_), Buttons::Ok, Icon::Information); });
}

void MainWindow::mnuHelpContents_Click() {
    helpWindow_ = showUserGuide(ui_, options_.files.path(kHelpFile), this, helpWindow_);
}

void MainWindow::mnuExit_Click() {
    close();
}

bool MainWindow::Form_QueryUnload() {
    bool cancel = false;
    if (state_.tableOpen()) {
        switch (ui_.message("Exit Program", "Save timing table before exiting?",
                            Buttons::YesNoCancel, Icon::Exclamation)) {
            case Answer::Yes:
                mnuSaveTbl_Click();
                break;
            case Answer::No:
                break;
            default:
                cancel = true;
                break;
        }
    }
    if (!cancel) history_->keepBufferAtExit();
    link_->closePort();
    return cancel;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    if ((tableViews_ && !tableViews_->finishEdits()) || Form_QueryUnload()) {
        event->ignore();
        return;
    }
    // Form_Unload: every other window of the program goes with the main window.
    closing_ = true;
    const auto windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (*it != this) (*it)->close();
    event->accept();
}

void MainWindow::Form_KeyPress(int keyAscii) {
    if (keyAscii != kKeyEscape) return;
    state_.AbortRequested = true;
    tableViews_->hideValueLabels();
}

void MainWindow::Form_Resize() {
    // The status bar takes its height from the window as the frame does.
    const double t = TimingGrid::twipsPerPixel();
    const int statusHeight = statusBar()->isVisible() ? statusBar()->height() : 0;
    tableViews_->layout(frameGeometry().width() * t, (frameGeometry().height() - statusHeight) * t);
    link_->closePort();
    if (isMinimized()) return;
    // The port takes its fixed line settings each time it opens.
    link_->setCommPort(state_.CommPort);
    state_.CommErrorCount = 0;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void MainWindow::applyMenus() {
    const Menus m = state_.menus();
    for (const auto& [a, rule] : enablingRules_) a->setEnabled(m.*rule);
}

}  // namespace velo
