#include "app/ui/main_window.h"

#include "app/error_report.h"
#include "app/ui/port_setup_frame.h"

#include <QComboBox>
#include <QPushButton>
#include "chart/ui/chart2d_widget.h"
#include "chart/window_layout.h"
#include "data/file_commands.h"
#include "data/ui/compare_dialog.h"
#include "data/ui/param_dialogs.h"
#include "report/ui/report_commands.h"
#include "table/table_commands.h"
#include "table/ui/new_table_wizards.h"
#include "table/ui/table_popup.h"
#include "table/ui/table_views.h"
#include "table/ui/timing_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace velo {

namespace {
constexpr int kKeyEscape = 27;
constexpr const char* kHelpFile = "Velo_IGX_Help.html";
}  // namespace

MainWindow::MainWindow(UserInteraction& ui, QSettings& settings, BrandInfo brand, Options options,
                       std::unique_ptr<SerialPort> port)
    : ui_(ui),
      settings_(settings),
      portSettings_(settings),
      brand_(std::move(brand)),
      options_(std::move(options)),
      ctx_{image_, state_, ui_} {
    setObjectName("frmVelo_Main");
    setWindowTitle(state_.BaseTitle);
    if (!port)
        port = makeSystemPort([this](int n) {
            return options_.deviceOverride.isEmpty() ? portSettings_.deviceFor(n)
                                                     : options_.deviceOverride;
        });
    link_ = std::make_unique<ControllerLink>(ctx_, std::move(port));
    ctx_.editModParams = [this] { mnuEditModParams_Click(); };
    ctx_.closeTable = [this] { mnuCloseTbl_Click(); };
    tableEditor_ = std::make_unique<TableEditor>(ctx_);
    tableEditor_->files = options_.files;
    ctx_.chartSetup3D = [this] { ChartSetup3D(*tableEditor_); };

    buildMenus();
    buildCentral();
    connect(&state_, &MainState::titleChanged, this, &QWidget::setWindowTitle);
    connect(&state_, &MainState::menusChanged, this, &MainWindow::applyMenus);
    connect(&state_, &MainState::progressChanged, this, &MainWindow::applyProgress);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { Form_KeyPress(kKeyEscape); });
    applyMenus();
    // Fits a 1280 x 800 screen with its frame, every grid cell readable.
    resize(1260, 740);
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption,
                             std::function<void()> handler) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    actions_[name] = a;
    // Any command may change the buffer or the open table.
    connect(a, &QAction::triggered, this, [this, handler = std::move(handler)] {
        // Typed but not yet entered is still the user's edit.
        if (tableViews_ && !tableViews_->finishEdits()) return;
        handler();
        updateEditStatus();
    });
    return a;
}

void MainWindow::buildMenus() {
    auto addMenu = [this](const QString& name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(name);
        menus_[name] = m;
        return m;
    };
    QMenu* file = addMenu("mnuFile", "&File");
    addItem(file, "mnuNewTable", "&New Timing Table", [this] { mnuNewTable_Click(*tableEditor_); });
    addItem(file, "mnuOpenFile", "&Open File", [this] { mnuOpenFile_Click(ctx_); });
    addItem(file, "mnuSaveFile", "&Save File", [this] { mnuSaveFile_Click(ctx_); });
    addItem(file, "mnuCompareFile", "&Compare With File...", [this] {
        const TableSession* open = tableEditor_->session();
        if (const auto c = mnuCompareFile_Click(ctx_))
            showCompareDialog(*c, open && open->hasEdits(), this);
    });
    file->addSeparator()->setObjectName("mnuSep2");
    addItem(file, "mnuPrintTable", "&Print Parameters And Timing Table",
            [this] { mnuPrintTable_Click(this, *tableEditor_, brand_); });
    addItem(file, "mnuPrintSetup", "Print Set&up...", [this] { mnuPrintSetup_Click(this); });
    file->addSeparator()->setObjectName("mnuSep3");
    addItem(file, "mnuExit", "E&xit", [this] { mnuExit_Click(); });

    QMenu* edit = addMenu("mnuEdit", "&Edit");
    addItem(edit, "mnuEditModParams", "Edit &Module Parameters",
            [this] { mnuEditModParams_Click(); });
    addItem(edit, "mnuEditGPIOParams", "Edit &GPIO Parameters",
            [this] { mnuEditGPIOParams_Click(); });
    addItem(edit, "mnuEditTimingTable", "Edit &Timing Table",
            [this] { mnuEditTimingTable_Click(*tableEditor_); });
    addItem(edit, "mnuSaveTbl", "Save Timing Table Edits To Buffer",
            [this] { mnuSaveTbl_Click(); });
    addItem(edit, "mnuCloseTbl", "Close Timing Table", [this] { mnuCloseTbl_Click(); });
    addUndoItems(edit);

    QMenu* comm = addMenu("mnuComm", "&Communications");
    addItem(comm, "mnuDownload", "&Download From EEPROM", [this] { link_->mnuDownload_Click(); });
    addItem(comm, "mnuUpload", "&Upload To EEPROM", [this] { link_->mnuUpload_Click(); });
    addItem(comm, "mnuPortSetup", "&Port Setup", [this] { mnuPortSetup_Click(); });

    QMenu* help = addMenu("mnuHelp", "&Help");
    addItem(help, "mnuHelpContents", "&Contents", [this] { mnuHelpContents_Click(); });
    addItem(help, "mnuAbout", "&About...", [this] { mnuAbout_Click(); });

    // The grids' context menus: never in the bar.
    for (const char* dim : {"2D", "3D"}) {
        auto* popup = new QMenu(QString("PopUp Edit %1").arg(dim), this);
        popup->setObjectName(QString("mnuPopUpEdit%1").arg(dim));
        menus_[popup->objectName()] = popup;
        const TableKind kind = QString(dim) == "2D" ? TableKind::Table2D : TableKind::Table3D;
        const std::pair<const char*, PopUpCommand> items[] = {
            {"Copy", PopUpCommand::Copy},
            {"Paste", PopUpCommand::Paste},
            {"Modify", PopUpCommand::Modify},
            {"Interpolate", PopUpCommand::Interpolate},
            {"Smooth", PopUpCommand::Smooth}};
        for (const auto& [caption, command] : items)
            addItem(
                popup, QString("mnuPopUp%1%2").arg(caption, dim), caption, [this, kind, command] {
                    TimingGrid* grid =
                        kind == TableKind::Table2D ? tableViews_->grid2D() : tableViews_->grid3D();
                    runPopUpCommand(*tableEditor_, *grid, kind, command);
                });
    }
}

void MainWindow::addUndoItems(QMenu* edit) {
    edit->addSeparator()->setObjectName("mnuSepUndo");
    QAction* undo = addItem(edit, "mnuUndo", "Undo", [this] {
        if (TableSession* s = tableEditor_->session()) s->undo();
    });
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = addItem(edit, "mnuRedo", "Redo", [this] {
        if (TableSession* s = tableEditor_->session()) s->redo();
    });
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // The items follow the open table's history; a new table brings a new one.
    connect(tableEditor_.get(), &TableEditor::sessionChanged, this, [undo, redo](TableSession* s) {
        undo->setEnabled(s && s->undoStack()->canUndo());
        redo->setEnabled(s && s->undoStack()->canRedo());
        if (!s) return;
        connect(s->undoStack(), &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
        connect(s->undoStack(), &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    });
    undo->setEnabled(false);
    redo->setEnabled(false);
}

void MainWindow::buildCentral() {
    auto* central = new QWidget(this);
    central->setObjectName("centralArea");
    auto* layout = new QVBoxLayout(central);

    portSetup_ = new PortSetupFrame(portSettings_, options_.deviceOverride, central);
    portSetup_->hide();
    portSetup_->setMaximumWidth(420);
    connect(portSetup_, &PortSetupFrame::portChosen, this, &MainWindow::cboPort_Click);
    connect(portSetup_, &PortSetupFrame::deviceChanged, this, [this] {
        link_->closePort();
        updateStatus();
    });
    connect(portSetup_->cmdPortSelectOK(), &QPushButton::clicked, this,
            &MainWindow::cmdPortSelectOK_Click);

    fraProgress1_ = new QGroupBox(central);
    fraProgress1_->setObjectName("fraProgress1");
    fraProgress1_->setMaximumWidth(420);
    auto* pl = new QVBoxLayout(fraProgress1_);
    prgProgress1_ = new QProgressBar(fraProgress1_);
    prgProgress1_->setObjectName("prgProgress1");
    prgProgress1_->setRange(0, 100);
    pl->addWidget(prgProgress1_);
    fraProgress1_->hide();

    // Placed by Form_Resize, under the two frames.
    tableViews_ =
        new TableViews(*tableEditor_, central, menu("mnuPopUpEdit2D"), menu("mnuPopUpEdit3D"));
    tableEditor_->loadTemplate2D = [this](const QString& path) {
        return tableViews_->chart2D()->loadTemplate(path);
    };
    tableEditor_->hideValueLabels = [this] { tableViews_->hideValueLabels(); };
    tableEditor_->formResize = [this] { Form_Resize(); };
    tableEditor_->clearClipboard = [] { QApplication::clipboard()->clear(); };
    tableEditor_->showWizard = [this](TableKind k) { showNewTableWizard(*tableEditor_, k, this); };
    connect(tableEditor_.get(), &TableEditor::sessionChanged, this, [this](TableSession* s) {
        if (!s) return;
        for (auto signal : {&TableSession::valueChanged, &TableSession::textChanged})
            connect(s, signal, this, &MainWindow::showEditStatus);
        connect(s, &TableSession::tableReset, this, &MainWindow::showEditStatus);
    });
    connect(&state_, &MainState::openTableChanged, this, &MainWindow::updateEditStatus);
    connect(&state_, &MainState::bufferWritten, this, &MainWindow::markBufferWritten);

    layout->addWidget(portSetup_, 0, Qt::AlignHCenter);
    layout->addWidget(fraProgress1_, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    setCentralWidget(central);

    bufferStatus_ = new QLabel(this);
    bufferStatus_->setObjectName("lblBufferStatus");
    portStatus_ = new QLabel(this);
    statusBar()->addWidget(bufferStatus_);
    editStatus_ = new QLabel(this);
    editStatus_->setObjectName("editStatus");
    statusBar()->addWidget(editStatus_, 1);
    statusBar()->addPermanentWidget(portStatus_);
    image_.BufferEmpty.onChange = [this](bool) { updateStatus(); };
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
    updateStatus();
    updateEditStatus();
}

void MainWindow::cboPort_Click(int index) {
    state_.CommPort = index + 1;
    portSettings_.storeCommPort(state_.CommPort);
    link_->setCommPort(state_.CommPort);
    portSetup_->showDeviceOf(state_.CommPort);
    updateStatus();
}

void MainWindow::mnuPortSetup_Click() {
    portSetup_->show();
    portSetup_->cboPort()->setFocus();
}

void MainWindow::cmdPortSelectOK_Click() {
    portSetup_->hide();
}

void MainWindow::mnuEditModParams_Click() {
    mnuCloseTbl_Click();
    showModParamsDialog(ctx_, this);
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
    const QString path = options_.files.path(kHelpFile);
    if (!QFile::exists(path)) {
        ui_.message(
            "Help",
            QString("The user guide %1 cannot be found.").arg(QDir::toNativeSeparators(path)),
            Buttons::Ok, Icon::Exclamation);
        return;
    }
    // Our own viewer: a machine without a browser still shows the guide.
    if (!helpWindow_) {
        helpWindow_ = new QDialog(this, Qt::Window);
        helpWindow_->setObjectName("frmHelp");
        helpWindow_->setWindowTitle("Velo IGX Help");
        auto* layout = new QVBoxLayout(helpWindow_);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* browser = new QTextBrowser(helpWindow_);
        browser->setObjectName("helpBrowser");
        browser->document()->setDocumentMargin(14);
        layout->addWidget(browser);
        // The guide's pictures at their own size, within a 1280 x 800 screen.
        helpWindow_->resize(1000, 720);
    }
    auto* browser = helpWindow_->findChild<QTextBrowser*>("helpBrowser");
    browser->setSource(QUrl::fromLocalFile(path));
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
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
    const auto m = state_.menus();
    action("mnuNewTable")->setEnabled(m.newTable);
    action("mnuEditTimingTable")->setEnabled(m.editTimingTable);
    action("mnuSaveTbl")->setEnabled(m.saveTbl);
    action("mnuCloseTbl")->setEnabled(m.closeTbl);
    action("mnuPopUpPaste2D")->setEnabled(m.paste2D);
    action("mnuPopUpPaste3D")->setEnabled(m.paste3D);
}

void MainWindow::applyProgress() {
    fraProgress1_->setTitle(state_.progressCaption());
    prgProgress1_->setValue(state_.progressValue());
    fraProgress1_->setVisible(state_.progressVisible());
}

void MainWindow::markBufferWritten() {
    ConfigImage encoded = image_;
    try {
        encoded.UpdateEEPROM();
        writtenImage_ = encoded.imageBytes();
    } catch (const RunError&) {
        writtenImage_.reset();
    }
    updateEditStatus();
}

void MainWindow::updateEditStatus() {
    // Parameters reach the buffer's bytes only when encoded: compare encoded forms.
    bufferChanged_ = true;
    if (!image_.BufferEmpty && writtenImage_) {
        ConfigImage encoded = image_;
        try {
            encoded.UpdateEEPROM();
            bufferChanged_ = encoded.imageBytes() != *writtenImage_;
        } catch (const RunError&) {
        }
    }
    showEditStatus();
}

// Table edits leave the buffer alone: they only redraw the line.
void MainWindow::showEditStatus() {
    QStringList parts;
    if (const TableSession* s = tableEditor_->session())
        parts << (s->hasEdits() ? "Table: edits not yet saved to the buffer"
                                : "Table: no edits since opened");
    if (!image_.BufferEmpty)
        parts << (bufferChanged_ ? "Buffer: changes not yet written to a file or the controller"
                                 : "Buffer: same as the last file or controller transfer");
    editStatus_->setText(parts.join("   |   "));
}

void MainWindow::updateStatus() {
    bufferStatus_->setText(image_.BufferEmpty ? "Data buffer empty" : "Data buffer loaded");
    if (state_.CommPort < 1) {
        portStatus_->setText("No port selected");
        return;
    }
    portStatus_->setText(QString("Com%1: %2").arg(state_.CommPort).arg(link_->port().deviceName()));
}

}  // namespace velo
