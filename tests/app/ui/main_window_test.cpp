#include "app/ui/main_window.h"
#include "app/ui/history_wiring.h"
#include "app/ui/port_setup_frame.h"
#include "app/ui/splash.h"
#include "app/ui/table_views.h"
#include "chart/ui/chart2d_widget.h"
#include "core/port_settings.h"
#include "core/run_error.h"
#include "core/scripted_interaction.h"
#include "data/data_file.h"
#include "data/history_records.h"
#include "data/mod_params.h"
#include "link/ui/adapter_list.h"
#include "support/dialogs.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "table/table_commands.h"
#include "table/table_edit.h"
#include "table/ui/table_popup.h"
#include "table/ui/timing_grid.h"
#include "table/ui/tune_history_window.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace velo;

namespace {

// The window makes its folder the current one; Windows cannot remove a current folder.
struct CurrentFolderKept {
    QString was = QDir::currentPath();
    ~CurrentFolderKept() { QDir::setCurrent(was); }
};

// The first plugged port, the IGX-1's adapter, a typed device, the adapter's stable
// name, what Com3 reaches untouched.
enum Device { First, Adapter, Typed, Stable, Com3 };
QString dev(Device d) {
    static const QStringList named{"COM1", "COM7", "COM9", "COM7", "COM3"};
    static const QStringList paths{"/dev/ttyS0", "/dev/ttyUSB0", "/dev/pts/7",
                                   "/dev/serial/by-id/x", "/dev/ttyS2"};
    return (PortSettings::entriesNameDevices() ? named : paths)[d];
}

struct Fixture {
    QTemporaryDir dir;
    CurrentFolderKept cwd;
    QSettings settings{dir.filePath("user.ini"), QSettings::IniFormat};
    ScriptedInteraction ui;
    test::FakeClock clock;
    test::FakePort* port = nullptr;
    std::unique_ptr<MainWindow> window;
    QString runDevice;  // --device

    // Each window keeps its tune history in a folder of its own.
    explicit Fixture(const QVariant& storedPort = {}) {
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        if (storedPort.isValid()) settings.setValue("Properties/CommPort", storedPort);
    }
    MainWindow& start(BrandInfo brand = BrandInfo::defaults()) {
        // The chart templates the program ships sit beside it.
        const QDir bin(VELO_BIN_DIR);
        for (const QString& t : bin.entryList({"*.oc2", "*.oc3"}))
            QFile::copy(bin.filePath(t), dir.filePath(t));
        auto fake = std::make_unique<test::FakePort>(clock);
        port = fake.get();
        window = std::make_unique<MainWindow>(
            ui, settings, brand, MainWindow::Options{dir.path(), runDevice}, std::move(fake));
        window->state().CommErrorCount = 3;  // the load starts the count afresh
        window->Form_Load();
        return *window;
    }
    QString storedPort() {
        settings.sync();
        return settings.value("Properties/CommPort").toString();
    }
};

using Sel = TimingGrid::Selection;

// Opens the 2D or 3D table, cell (r, c) at 10 + r + c mod 3 (the 2D row as 3D row 8).
TimingGrid* openTable(MainWindow& w, bool is3D) {
    w.show();
    ConfigImage& im = w.image();
    im.BufferEmpty = false;
    (is3D ? im.Table3DEnabled : im.Table2DEnabled) = true;
    for (int c = 1; c <= kRpmColumns; ++c)
        for (int r = 1; r <= kMapRows; ++r)
            im.Table3D(c, mapIndexOfRow(r)) = im.Table2D(c, 1) = 10 + r + c % 3;
    w.state().setTableMenus(true);
    w.action("mnuEditTimingTable")->trigger();
    return is3D ? w.tableViews()->grid3D() : w.tableViews()->grid2D();
}

QByteArray image(int n) {
    QByteArray b(264, char(n));
    b[0] = char(n >> 8);
    return b;
}

QString captions(QWidget* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? "-" : a->text()) + (a->isEnabled() ? "" : " (off)");
    return out.join(", ");
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startUpMenusStateTitleAndAbout() {
        Fixture f;
        MainWindow& w = f.start(BrandInfo{{"Alpha"}, {"Alpha Works", "Main Street", "Tel 1"}});
        QCOMPARE(w.windowTitle(), QString("Alpha Works Velo IGX Version 1.0"));
        QCOMPARE(captions(w.menuBar()), "&File, &Edit, &Communications, &Help");
        QCOMPARE(captions(w.menu("mnuFile")),
                 "&New Timing Table, &Open File, &Save File, &Recent Files, &Compare With "
                 "File..., Tune &History..., &Export Timing Table As CSV..., &Import Timing Table "
                 "From CSV..., -, &Print Parameters And Timing Table, Print Set&up..., -, E&xit");
        QCOMPARE(
            captions(w.menu("mnuEdit")),
            "Edit &Module Parameters, Edit &GPIO Parameters, Edit &Timing Table (off), Save "
            "Timing Table Edits To Buffer (off), Close Timing Table (off), Chec&k Timing Table, "
            "-, Undo (off), "
            "Redo (off), Pressure &Units");
        // The empty window names where to start, by the menus' own captions.
        auto* hint = test::child<QLabel>(w, "lblFirstScreenHint");
        QVERIFY(hint->text().contains("Communications &gt; Download From EEPROM") &&
                hint->text().contains("File &gt; Open File") && hint->isVisibleTo(&w));
        QCOMPARE(captions(w.menu("mnuComm")),
                 "&Download From EEPROM, &Upload To EEPROM, &Compare With Controller, &Port Setup");
        QCOMPARE(captions(w.menu("mnuHelp")), "&Contents, &About...");
        for (const char* popup : {"mnuPopUpEdit2D", "mnuPopUpEdit3D"})
            QCOMPARE(captions(w.menu(popup)), "Copy, Paste (off), Modify, Interpolate, Smooth");
        QCOMPARE(w.state().CommErrorCount, 0);
        QVERIFY(!w.link().port().isOpen());
        QVERIFY(w.portSetup()->isHidden() && w.progressFrame()->isHidden());
        QCOMPARE(w.portSetup()->cboPort()->count(), 255);
        QCOMPARE(w.portSetup()->cboPort()->itemText(254), QString("Com255"));
        QVERIFY(f.ui.shown().isEmpty());

        const QLabel* status = test::child<QLabel>(w, "lblBufferStatus");
        QCOMPARE(status->text(), QString("Data buffer empty"));
        ModParamsForm form(w.context());  // the module dialog's OK, the title unchanged
        form.Form_Load();
        form.cmdOK_Click();
        QCOMPARE(status->text(), QString("Data buffer loaded"));
        w.image().ClearEEPROMBuffer();
        QCOMPARE(status->text(), QString("Data buffer empty"));

        w.action("mnuAbout")->trigger();
        w.action("mnuHelpContents")->trigger();  // the fixture's folder has no guide
        QCOMPARE(f.ui.shown().size(), 2);
        QCOMPARE(test::boxLine(f.ui.shown()[0]),
                 "About | Alpha Works Velo IGX Version 1.00\n\nMain Street\nTel 1\n | OK | "
                 "information");
        QVERIFY(f.ui.shown()[1].text.contains("Velo_IGX_Help.html"));
        QVERIFY(!w.helpWindow());

        // Only Escape asks a running transfer to stop.
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_A);
        QVERIFY(!w.state().AbortRequested);
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.state().AbortRequested);
    }

    void missingMakerLineIsReported() {
        Fixture f;
        f.ui.answer(Answer::Ignore);
        MainWindow& w = f.start(BrandInfo{{"A"}, {}});
        const QString missing = "Velo_IGX.cfg gives no maker line 1 (Subscript out of range).";
        QCOMPARE(f.ui.texts(), QStringList{missing});
        QCOMPARE(w.windowTitle(), QString("Velo IGX Version 1.0"));
        w.action("mnuAbout")->trigger();
        QCOMPARE(f.ui.texts(), QStringList(2, missing));
    }

    void storedPortSelectsItsEntryAndAChoiceIsStored_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("commPort");
        QTest::addColumn<int>("reports");
        QTest::addColumn<QString>("runDevice");  // --device
        QTest::newRow("first start") << QVariant() << 1 << 0 << "";
        QTest::newRow("port 12") << QVariant("12") << 12 << 0 << "";
        QTest::newRow("0 selects nothing") << QVariant("0") << 0 << 0 << "";
        QTest::newRow("not a number") << QVariant("abc") << 0 << 1 << "";
        QTest::newRow("outside the list") << QVariant("300") << 300 << 1 << "";
        QTest::newRow("--device: the choice is for this run")
            << QVariant("12") << 12 << 0 << "/dev/pts/7";
    }
    void storedPortSelectsItsEntryAndAChoiceIsStored() {
        QFETCH(QVariant, stored);
        QFETCH(int, commPort);
        QFETCH(int, reports);
        QFETCH(QString, runDevice);
        Fixture f(stored);
        f.runDevice = runDevice;
        f.ui.answer(Answer::Ignore);
        MainWindow& w = f.start(loadBrandInfo(f.ui, QString(VELO_SOURCE_DIR "/resources")));
        const bool listed = commPort >= 1 && commPort <= 255;
        QCOMPARE(w.portSetup()->cboPort()->currentIndex(), listed ? commPort - 1 : -1);
        QCOMPARE(w.state().CommPort, commPort);
        QCOMPARE(f.ui.shown().size(), reports);
        if (reports)
            QVERIFY(f.ui.shown()[0].title == "Error" &&
                    f.ui.shown()[0].text.contains(stored.toString()));
        QCOMPARE(f.storedPort(), stored.isValid() ? stored.toString() : "1");  // kept as it was
        // Ignore goes on with the start-up: the window is complete, titled by the shipped file.
        QCOMPARE(w.windowTitle(), QString("Orvane Velo IGX Version 1.0"));

        // Whatever was stored, the entry chosen is stored and used.
        w.mnuPortSetup_Click();
        QVERIFY(!w.portSetup()->isHidden());
        w.portSetup()->cboPort()->setCurrentIndex(2);
        QCOMPARE(w.state().CommPort, 3);
        QCOMPARE(f.storedPort(), runDevice.isEmpty() ? "3" : stored.toString());
        QCOMPARE(w.link().port().portNumber(), 3);
        QVERIFY(w.portSetup()->lblDevice()->text().contains("Com3"));
        w.cmdPortSelectOK_Click();
        QVERIFY(w.portSetup()->isHidden());
    }

    // Without a table, a module parameter changed since the download. Every exit keeps the
    // buffer it drops, and the next start says so.
    void exitAsksOnlyWithATableOpen_data() {
        QTest::addColumn<bool>("tableOpen");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("no table: no question") << false << int(Answer::Cancel) << true;
        QTest::newRow("table, Yes") << true << int(Answer::Yes) << true;
        QTest::newRow("table, No") << true << int(Answer::No) << true;
        QTest::newRow("table, Cancel keeps the window") << true << int(Answer::Cancel) << false;
    }
    void exitAsksOnlyWithATableOpen() {
        QFETCH(bool, tableOpen);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        Fixture f;
        MainWindow& w = f.start();
        w.show();
        if (tableOpen) {
            openTable(w, true);
            w.tableEditor().session()->acceptEdit(1, 1, "30");  // stored as 0 counts
            w.image().DataBuffer.fill(0x55);
        }
        if (!tableOpen) {
            w.image().BufferEmpty = false;
            emit w.state().bufferWritten();
            w.image().Cyl4 = true;
        }
        f.port->open();
        f.ui.answer(Answer(answer));
        w.action("mnuExit")->trigger();
        QCOMPARE(w.isVisible(), !closed);
        // Yes stores the table into the buffer, and only there.
        QCOMPARE(w.image().DataBuffer[ConfigImage::offset3D(1, 8)],
                 answer == int(Answer::Yes) && tableOpen ? 0 : (tableOpen ? 0x55 : 0));
        QCOMPARE(w.state().tableOpen(), tableOpen && answer != int(Answer::Yes));
        QCOMPARE(f.ui.shown().size(), int(tableOpen));
        if (tableOpen)
            QCOMPARE(
                test::boxLine(f.ui.shown()[0]),
                "Exit Program | Save timing table before exiting? | Yes/No/Cancel | exclamation");
        QVERIFY(!w.link().port().isOpen());  // whatever the answer
        const auto newest = w.history().store().newest();
        QCOMPARE(newest && newest->event + " " + newest->note == "buffer-kept at Exit", closed);
        if (!closed) return;
        f.window.reset();
        QCOMPARE(f.start().statusLine().noticeLabel()->text(), history::kKeptAtExit);
    }

    // The views show the open table where the layout puts them, the status line follows its
    // edits, and a resize closes the port and starts the error count again.
    void tableViewsFollowTheOpenTable() {
        Fixture f;
        MainWindow& w = f.start();
        TimingGrid* grid = openTable(w, false);
        QCOMPARE(grid->objectName(), QString("VSFlexGrid1"));
        QVERIFY(grid->isVisible() && test::child<QWidget>(w, "Chart2D1")->isVisible());
        QVERIFY(!test::child<QWidget>(w, "VSFlexGrid2")->isVisible());
        QCOMPARE(grid->text(0, 21), QString("10000"));
        QCOMPARE(grid->text(1, 0), QString("ADV"));
        QCOMPARE(grid->row(), 0);
        QVERIFY(w.centralWidget()->rect().contains(grid->geometry()));
        QVERIFY(w.editStatus()->text().contains("no edits"));
        grid->editCell(1, 3, "12");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(w.editStatus()->text().contains("edits not yet saved"));

        w.state().CommErrorCount = 4;
        w.resize(w.width() - 40, w.height());
        QCoreApplication::processEvents();
        QCOMPARE(w.state().CommErrorCount, 0);

        // Text typed but not entered is taken before a command; refused, it stops the command.
        grid->editCell(1, 4, "99");
        w.action("mnuCloseTbl")->trigger();
        QVERIFY(grid->isVisible() && grid->editing());
        QCOMPARE(f.ui.shown().size(), 1);
        QCOMPARE(test::boxLine(f.ui.shown()[0]),
                 "Timing Edit | Timing must be numeric value greater than zero and within 22 "
                 "degrees of trigger timing. | OK | critical");
        grid->findChild<QLineEdit*>()->setText("13");
        f.ui.answer(Answer::Yes);
        w.action("mnuCloseTbl")->trigger();
        QVERIFY(!grid->isVisible());
        QCOMPARE(w.image().Table2D(4, 1), 13.0);
        QVERIFY(w.editStatus()->text().contains("changes not yet written"));
    }

    // Recent Files: a name with "&" shown whole, a folder greyed; an open from it is where
    // the next file dialog starts.
    // Gone with a table open, a cell being typed and the table's windows up, nothing that
    // goes later refers to what went before it.
    void closesCleanWithATableOpen() {
        Fixture f;
        MainWindow& w = f.start();
        TimingGrid* grid = openTable(w, true);
        w.action("mnuCheckTable")->trigger();
        w.action("mnuTuneHistory")->trigger();
        w.activateWindow();
        grid->editCell(1, 4, "99");
        QVERIFY(grid->editing());
        f.window.reset();
    }

    void recentFilesOpenOnlyFiles() {
        Fixture f;
        const QString file = f.dir.filePath("R&D tune.dat");
        QVERIFY(writeDataFile(file, test::randomImage(5)).isEmpty());
        f.settings.setValue("Recent/Files", QStringList{file, f.dir.filePath("data")});
        MainWindow& w = f.start();
        auto* menu = test::child<QMenu>(w, "mnuRecentFilesList");
        emit menu->aboutToShow();
        const QList<QAction*> items = menu->actions();
        QVERIFY(items[0]->text().startsWith("&1 R&&D tune.dat    ") && items[0]->isEnabled());
        QVERIFY(!items[1]->isEnabled());
        QTimer closer;  // the parameters dialog that follows an open
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget* d = QApplication::activeModalWidget()) d->close();
        });
        closer.start(10);
        items[0]->trigger();
        QCOMPARE(f.settings.value("Files/LastFolder").toString(), f.dir.path());
        // An error no trap took ends its command with the error report, from a menu too.
        struct Throws : test::Heard {
            void editModParams() override { raise(kOverflowError, "Velo_IGX_Main", "Overflow"); }
        } throws;
        w.context().window = &throws;
        f.ui.answerFile(file);
        for (QAction* a : {w.action("mnuOpenFile"), items[0]}) {
            a->trigger();
            QCOMPARE(test::boxLine(f.ui.shown().back()),
                     "Error | Overflow | Abort/Retry/Ignore | critical");
        }
    }

    // Cancel at the close question leaves the table open under the parameters dialog: it
    // then goes by the trigger timing the dialog set, on the chart and in the grid. Printing
    // hides the chart's value label.
    void aTableLeftOpenFollowsTheParameters() {
        Fixture f;
        MainWindow& w = f.start();
        openTable(w, false)->setCurrentCell(1, 3);
        f.ui.answer(Answer::Cancel);
        QTimer::singleShot(0, [] {
            QWidget& d = *QApplication::activeModalWidget();
            test::child<QSlider>(d, "sldTrigTiming")->setValue(20);  // 20 degrees
            test::child<QPushButton>(d, "cmdOK")->click();
        });
        w.action("mnuEditModParams")->trigger();
        QVERIFY(w.tableViews()->chart2D()->accessibleDescription().contains("limit 20"));
        QVERIFY(!validateCellEdit(w.tableEditor(), "25"));
        QVERIFY(w.tableViews()->chart2D()->valueLabelPoint() == 3);
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        w.action("mnuPrintTable")->trigger();
        QCOMPARE(w.tableViews()->chart2D()->valueLabelPoint(), 0);
    }

    // The buffer as Save File would write it against a picked file, the buffer untouched;
    // the open table's unsaved edits are named, not compared.
    void compareWithFileShowsTheDifferences() {
        Fixture f;
        MainWindow& w = f.start();
        w.action("mnuCompareFile")->trigger();
        QCOMPARE(f.ui.texts(), QStringList{"Data buffer empty."});
        openTable(w, true);
        w.tableEditor().session()->acceptEdit(1, 1, "5");
        ConfigImage saved = w.image();
        saved.UpdateEEPROM();
        auto bytes = saved.imageBytes();
        bytes[ConfigImage::kGpi1Retard - 16] = 46;
        bytes[ConfigImage::offset3D(2, 8) - 16] = 11;
        const QString path = f.dir.filePath("other.dat");
        QVERIFY(writeDataFile(path, bytes).isEmpty());
        const auto before = w.image().DataBuffer;
        f.ui.answerFile(path);
        QStringList seen;
        QTimer::singleShot(0, [&] {
            QWidget& d = *QApplication::activeModalWidget();
            auto* params = test::child<QTableWidget>(d, "tblParameters");
            auto* grid = test::child<QTableWidget>(d, "grdCompare3D");
            test::child<QLabel>(d, "lblTableEdits");
            seen << d.windowTitle() << QString::number(params->rowCount());
            for (int c = 0; c < 3; ++c) seen << params->item(0, c)->text();
            seen << grid->item(0, 0)->text() << grid->item(1, 0)->text()
                 << grid->item(1, 2)->toolTip() << grid->item(1, 1)->toolTip();
            seen << QString::number(grid->item(1, 2)->background() !=
                                    grid->item(1, 1)->background());
            // Every column in sight: the dialog never narrows the grid.
            seen << QString::number(grid->parentWidget()->width() >= grid->width());
            test::child<QRadioButton>(d, "optShowFile")->click();
            seen << grid->item(1, 2)->text();
            test::child<QRadioButton>(d, "optShowDifference")->click();
            seen << grid->item(1, 2)->text();
            d.close();
        });
        test::child<QAction>(w, "mnuUnitskPa")->trigger();
        w.action("mnuCompareFile")->trigger();
        QCOMPARE(seen, (QStringList{"Compare With File", "1", "GPI1 Retard", "2 deg (23 counts)",
                                    "4 deg (46 counts)", "MAP/RPM", "54",
                                    "Buffer 30.0, File 29.0, difference -1.0", "", "1", "1", "29.0",
                                    "-1.0"}));
        QCOMPARE(w.tableViews()->grid3D()->text(1, 0), QString("54"));
        // Another MAP sensor: said, and the rows met by pressure.
        bytes[ConfigImage::kMapSensor - 16] = 2;
        QVERIFY(writeDataFile(path, bytes).isEmpty());
        f.ui.answerFile(path);
        QTimer::singleShot(0, [&] {
            QWidget& d = *QApplication::activeModalWidget();
            auto* grid = test::child<QTableWidget>(d, "grdCompare3D");
            seen = QStringList{test::child<QLabel>(d, "lblMapSensors")->text().left(54),
                               grid->item(1, 0)->text(), grid->item(1, 0)->toolTip()};
            d.close();
        });
        w.action("mnuCompareFile")->trigger();
        QCOMPARE(seen, (QStringList{"The buffer has a 1 bar MAP sensor and the file a 3 bar", "54*",
                                    "The file has no row at this MAP: its advance here is that "
                                    "of its 68 row (beyond its rows)."}));
        QVERIFY(w.image().DataBuffer == before && w.state().tableOpen());
        QVERIFY(!test::child<QLabel>(w, "lblFirstScreenHint")->isVisibleTo(&w));
        // What the controller holds stays until the buffer or the controller changes.
        for (const QString change : {"buffer", "controller"}) {
            w.statusLine().setControllerCheck("Controller: same as the buffer");
            w.statusLine().updateEditStatus();
            QVERIFY(w.editStatus()->text().contains(
                QRegularExpression("same as the buffer \\(checked \\d\\d:\\d\\d\\)$")));
            change == "buffer" ? void(w.image().GPI1Retard = 9)
                               : w.state().showProgress("Programming EEPROM");
            w.statusLine().updateEditStatus();
            QVERIFY(!w.editStatus()->text().contains("Controller"));
        }
    }

    void gridCommandsAreOneUndoStepEach_data() {
        QTest::addColumn<bool>("is3D");
        QTest::addColumn<QString>("command");
        QTest::addColumn<Sel>("at");  // the selection it works on; then the block it selects
        QTest::addColumn<QString>("text33");  // cell (3, 3), or the last pasted cell
        const Sel block{2, 2, 4, 6};
        QTest::newRow("2D Paste of 3..7 at 10") << false << "Paste" << Sel{1, 10, 1, 14} << "19.0";
        QTest::newRow("3D Paste cut at the corner")
            << true << "Paste" << Sel{8, 20, 8, 21} << "13.0";
        // Every other command of the grids, from the pop-up or by its key; Copy begins each
        // row, the Edit menu's take each back.
        const QMap<QString, QString> text33 = {{"Modify", "14.0"},       {"Interpolate", "14.5"},
                                               {"Smooth", "13.6"},       {"StepUp", "13.5"},
                                               {"StepDown", "12.5"},     {"StepUpLarge", "15.0"},
                                               {"StepDownLarge", "11.0"}};
        for (const GridCommand& c : gridCommands()) {
            if (c.place == GridCommand::Place::EditMenu || c.id == "Copy" || c.id == "Paste")
                continue;
            QVERIFY2(text33.contains(c.id), qPrintable(c.id + " has no row here"));
            QTest::newRow(qPrintable(c.id)) << true << c.id << block << text33[c.id];
        }
        // After the key commands: the test after this one fails when a key command ends it.
        QTest::newRow("cell edit") << true << "edit" << Sel{3, 3, 3, 3} << "12";
    }
    // Copy fills the clipboard and turns that grid's Paste on; each command then writes the
    // open table as one step that the Undo and Redo items take back and forth whole.
    void gridCommandsAreOneUndoStepEach() {
        QFETCH(bool, is3D);
        QFETCH(QString, command);
        QFETCH(Sel, at);
        QFETCH(QString, text33);
        Fixture f;
        MainWindow& w = f.start();
        const TableKind kind = is3D ? TableKind::Table3D : TableKind::Table2D;
        const Sel copied = is3D ? Sel{1, 1, 2, 3} : Sel{1, 3, 1, 7};
        TimingGrid* g = openTable(w, is3D);
        auto select = [g](Sel s) {
            g->setCurrentCell(s.top, s.left), g->extendSelection(s.bottom, s.right);
        };
        select(copied);
        w.action(itemName(*gridCommand("Copy"), kind))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), g->clip(copied));
        QVERIFY(w.state().menus().paste2D != is3D && w.state().menus().paste3D == is3D);
        select(command == "Paste" ? Sel{at.top, at.left, at.top, at.left} : at);
        TableSession& t = *w.tableEditor().session();
        const TableSession::Cells before = t.cells();
        w.statusLine().notice("Timing table checked: 0 findings.");  // a command ends it
        f.ui.answerInput("+1");
        const GridCommand* c = gridCommand(command);
        const bool fromMenu = c && c->place == GridCommand::Place::PopUp;
        if (!c) {
            g->editCell(3, 3, "12");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCoreApplication::processEvents();
        } else if (fromMenu) {
            w.action(itemName(*c, kind))->trigger();
        } else {
            QTest::keySequence(g, c->keys[0]);
        }
        if (command == "Modify")
            QCOMPARE(f.ui.fileDialogs(),
                     QStringList("input Modify Selection: Enter a new value. See examples below "
                                 "or Help for details.\r\n"
                                 "   Enter 30 to set all cells in selection to 30\r\n"
                                 "   Enter -5 to subtract 5 from each cell in selection\r\n"
                                 "   Enter +10 to add 10 to each cell in selection\r\n"
                                 "   Enter 80% to multiply each cell in selection by 80%\r\n"
                                 "   Enter -7.5% to reduce each cell in selection by 7.5%\r\n"
                                 "   Enter +15% to increase each cell in selection by 15%"));
        const bool paste = command == "Paste";
        QCOMPARE(w.statusLine().noticeLabel()->text().isEmpty(), fromMenu);
        QCOMPARE(g->text(paste ? at.bottom : 3, paste ? at.right : 3), text33);
        QCOMPARE(g->selection(), at);
        const TableSession::Cells after = t.cells();
        QVERIFY(t.undoStack()->count() == 1 && !w.action("mnuRedo")->isEnabled());
        w.action("mnuUndo")->trigger();
        QVERIFY(t.cells() == before && !w.action("mnuUndo")->isEnabled());
        w.action("mnuRedo")->trigger();
        QVERIFY(t.cells() == after && w.action("mnuUndo")->isEnabled());
        f.ui.answer(Answer::No);
        w.action("mnuCloseTbl")->trigger();
        QVERIFY(!w.action("mnuUndo")->isEnabled() && !w.state().menus().paste3D);
    }

    // Tune History: the questions after runs that crashed, newest first, and the window.
    void restoreAfterCrash_data() {
        QTest::addColumn<QVariant>("ask");     // the setting; invalid: not written
        QTest::addColumn<QString>("answers");  // Yes or No to each run, newest first
        QTest::addColumn<int>("runs");
        QTest::newRow("Yes puts the edits back") << QVariant(true) << "Y" << 1;
        QTest::newRow("No leaves them in the history") << QVariant(true) << "N" << 1;
        QTest::newRow("question turned off") << QVariant(false) << "" << 1;
        QTest::newRow("asked unless turned off") << QVariant() << "N" << 1;
        QTest::newRow("two runs: the buffer No, the edits Yes") << QVariant() << "NY" << 2;
    }
    void restoreAfterCrash() {
        QFETCH(QVariant, ask);
        QFETCH(QString, answers);
        QFETCH(int, runs);
        Fixture f;
        if (ask.isValid()) f.settings.setValue(HistoryWiring::kAskToRestoreKey, ask);
        for (int run = 0; run < runs; ++run) {
            UnsavedWork w;
            w.base = image(run), w.edited = image(run + 1);
            if (run == 0) w.kind = TableKind::Table2D, w.cells = QVector<double>(21, 12.5);
            TuneHistory().keepUnsavedWork(w);  // gone without an end, as a crash leaves it
        }
        TuneHistory().record(HistoryEvent::UploadFailed, image(2));  // told at every start
        for (QChar a : answers) f.ui.answer(a == 'Y' ? Answer::Yes : Answer::No);
        MainWindow& w = f.start();
        QCoreApplication::processEvents();
        QCOMPARE(f.ui.shown().size(), answers.size());
        if (runs == 2) QVERIFY(f.ui.texts()[0].startsWith("Restore the unsaved buffer from "));
        const TableSession* s = w.tableEditor().session();
        QCOMPARE(s != nullptr, answers.endsWith('Y'));
        if (s) QVERIFY(s->hasEdits() && s->value(1, 21) == 12.5);
        QCOMPARE(w.history().store().newest()->event, "crash-recovery");
        QVERIFY(w.history().store().lostRuns().isEmpty());
        QCOMPARE(w.statusLine().warningLabel()->text(), history::kPartlyProgrammed);
    }

    void historyWindowFetchesFiltersAndActs() {
        Fixture f;
        MainWindow& w = f.start();
        test::Heard heard;
        w.context().window = &heard;
        TuneHistory& store = w.history().store();
        for (int i = 1; i <= 450; ++i)
            store.record(HistoryEvent::Open, image(i), "f.dat", {}, QString("n%1").arg(i));
        w.show();
        w.action("mnuTuneHistory")->trigger();
        auto* win = test::child<TuneHistoryWindow>(w, "frmTuneHistory");
        QVERIFY(QTest::qWaitForWindowExposed(win));
        QCOMPARE(win->model()->rowCount(), HistoryModel::kPage);
        while (win->model()->canFetchMore({})) win->model()->fetchMore({});
        QCOMPARE(win->model()->rowCount(), 450);
        win->filter()->setText("n44");
        QTRY_COMPARE(win->model()->rowCount(), 11);  // n44, n440..n449
        QVERIFY(win->model()->setData(win->model()->index(10, HistoryModel::Note), "best",
                                      Qt::EditRole));
        QCOMPARE(store.entry(44)->note, "best");

        win->view()->selectRow(10);
        f.ui.answerFile(f.dir.filePath("e.dat"));
        win->saveAs();
        QCOMPARE(test::readFile(f.dir.filePath("e.dat")), image(44));
        win->openInBuffer();
        QVERIFY(!w.image().BufferEmpty && heard.modParams == 1);
        QCOMPARE(test::bytesOf(w.image().imageBytes()), image(44));

        // Both comparisons label MAP rows in the unit chosen for the window.
        QByteArray demo = test::readFile(QDir(VELO_BIN_DIR).filePath("demo_3d.dat"));
        store.record(HistoryEvent::Open, demo, "demo.dat");
        demo[ConfigImage::offset3D(2, 8) - 16] = 11;
        store.record(HistoryEvent::Save, demo, "demo.dat");
        win->filter()->setText("demo.dat");
        test::child<QAction>(w, "mnuUnitskPa")->trigger();
        QStringList seen;
        auto look = [&] {
            QWidget& d = *QApplication::activeModalWidget();
            seen << d.windowTitle() << test::child<QGroupBox>(d, "fraCompare3D")->title()
                 << test::child<QLabel>(d, "lblCompareFile")
                        ->text()
                        .section(" (", 0, 0)
                        .section(' ', -1);
            d.close();
        };
        QTRY_COMPARE(win->model()->rowCount(), 2);
        win->view()->selectAll();
        QTimer::singleShot(0, look);
        win->compareTwo();
        win->view()->selectRow(0);
        QTimer::singleShot(0, look);
        win->compareWithBuffer();
        const qint64 saved = store.newest()->id;  // the older of the two is shown as Buffer
        QCOMPARE(seen,
                 (QStringList{"Compare Two",
                              "3D Timing Table (advance, deg; MAP in kPa): 1 changed cell marked",
                              QString::number(saved - 1), "Compare With File",
                              "3D Timing Table (advance, deg; MAP in kPa): "
                              "168 changed cells marked",
                              QString::number(saved)}));
    }

    // Plugged adapters appear while the frame is open, in its device list too; Find
    // Controller asks each port and the typed device, with the frame locked, safe against
    // the frame closing and opening and adapters coming and going while a port is asked.
    // The IGX-1 that answered becomes the Com entry's device by its stable name, or under
    // --device the device of this run, nothing stored.
    void adaptersAndFindController_data() {
        QTest::addColumn<QString>("runDevice");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("reaches");
        // Where Com entries name their COM ports, the one that answered is chosen instead.
        QTest::newRow("stored by its stable name")
            << "" << dev(Stable) << "The IGX-1 is chosen." << dev(Stable);
        QTest::newRow("--device elsewhere: used for this run")
            << dev(Typed) << dev(Com3) << "nothing is stored" << dev(Adapter) + " for this run";
    }
    void adaptersAndFindController() {
        QFETCH(QString, runDevice);
        Fixture f;
        PortSettings settings(f.settings);
        PortSetupFrame frame(settings, runDevice);
        AdapterList* list = frame.adapters();
        QVector<SerialPortEntry> plugged{{dev(First), "", "", "", ""}};
        list->listPorts = [&] { return plugged; };
        QStringList asked;
        bool locked = true;
        list->probe = [&](const QString& d) {
            asked << d;
            locked =
                locked && !frame.cmdPortSelectOK()->isEnabled() && !frame.cboPort()->isEnabled();
            // What a user can do meanwhile: close the frame, open it again, pull an adapter.
            frame.hide();
            if (asked.size() == 1) plugged.removeFirst();
            frame.show();
            list->refresh();
            return ProbeAnswer{d, d == dev(Adapter) ? "IGX-1 V2.1" : std::optional<QString>(),
                               d == dev(Adapter), PortTrouble::Silent};
        };
        frame.fillPortList();
        frame.cboPort()->setCurrentIndex(2);
        frame.showDeviceOf(3);
        frame.show();
        QCOMPARE(list->tree()->topLevelItemCount(), 1);
        const QString byId = dev(Stable) == dev(Adapter) ? "" : dev(Stable);
        plugged.append({dev(Adapter), "FT232R USB UART", "FTDI", "A10K", byId});
        list->refresh();
        QCOMPARE(list->tree()->topLevelItem(1)->text(1), QString("FT232R USB UART"));
        QVERIFY(frame.cboDevice()->findText(dev(Adapter)) >= 0);

        QSignalSpy changed(&frame, &PortSetupFrame::deviceChanged);
        frame.cboDevice()->setCurrentText(dev(Typed));
        list->cmdFind()->click();
        QCOMPARE(asked, (QStringList{dev(First), dev(Adapter), dev(Typed)}));
        QVERIFY(locked);
        QCOMPARE(list->tree()->topLevelItem(0)->text(7), QString("silent (no answer in 1 s)"));
        QTEST(settings.deviceFor(frame.cboPort()->currentIndex() + 1), "stored");
        QVERIFY(changed.size() >= 1);  // the link lets go of the port before the search
        QVERIFY(list->lblFound()->text().startsWith("1 of 3 ports answered"));
        QFETCH(QString, outcome);
        QVERIFY2(list->lblFound()->text().contains(outcome), qPrintable(list->lblFound()->text()));
        QFETCH(QString, reaches);
        QVERIFY2(frame.lblDevice()->text().contains("reaches " + reaches),
                 qPrintable(frame.lblDevice()->text()));
        QVERIFY(frame.cmdPortSelectOK()->isEnabled());
        // The pulled adapter goes from the list once the search is over.
        list->refresh();
        QCOMPARE(list->tree()->topLevelItemCount(), 1);
    }

    // A guide that points at a missing picture or section shows a hole to the tuner.
    void picturesAndSectionsResolve() {
        const QDir resources(VELO_SOURCE_DIR "/resources");
        QFile file(resources.filePath("Velo_IGX_Help.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QSet<QString> ids;
        for (const auto& m : QRegularExpression("\\bid=\"([^\"]+)\"").globalMatch(html))
            ids << m.captured(1);
        for (const auto& m : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html))
            QVERIFY2(ids.contains(m.captured(1)), qPrintable("no section " + m.captured(1)));
        QSet<QString> shown;
        for (const auto& m : QRegularExpression("<img src=\"([^\"]+)\"").globalMatch(html)) {
            QVERIFY2(resources.exists(m.captured(1)), qPrintable("no picture " + m.captured(1)));
            shown << m.captured(1);
        }
        // A picture the guide no longer shows would be installed for nothing.
        for (const QString& png : QDir(resources.filePath("guide")).entryList({"*.png"}))
            QVERIFY2(shown.contains("guide/" + png), qPrintable("unused picture " + png));
    }

    // The splash screen: last, as it renames the application.
    // config: the file's text, empty for the shipped file; then what it should give, and
    // the error reports (answered Ignore) with a word each must contain.
    void readsTheConfiguration_data() {
        QTest::addColumn<QString>("config");
        // company, points (* the label's own size), bold, italic, logo
        QTest::addColumn<QString>("shows");
        QTest::addColumn<QStringList>("reports");
        auto row = [](const char* name, const char* config, const char* shows,
                      const QStringList& reports = {}) {
            QTest::newRow(name) << QString(config) << QString(shows) << reports;
        };
        row("nine-line file",
            "!c\nAlpha\nTimes New Roman\n20\nItalic\nNULL\n!\nAlpha Works\nMain Street\n",
            "Alpha 20 0 1 0");
        row("shipped file", "", "Orvane 28 1 1 1");
        // Style words in any case and order, a size with a unit or a fraction.
        row("BOLD, nUlL", "A\nArial\n20pt\nBOLD\nnUlL\n!\nA\n", "A 20 1 0 0");
        row("Italic Bold", "A\nArial\n14.6\nItalic Bold\nNULL\n!\nA\n", "A 14 1 1 0");
        row("neither word", "A\nArial\n12\nregular\nNULL\n!\nA\n", "A 12 0 0 0");
        row("missing logo file", "A\nArial\n12\nbold\nnone.gif\n!\nA\n", "A 12 1 0 0",
            {"none.gif"});
        row("font size not a number", "A\nArial\nbig\nbold\nNULL\n!\nA\n", "A * 0 0 0", {"big"});
        row("three splash lines", "A\nArial\n12\n!\nA\n", "A * 0 0 0",
            {"splash line 4", "splash line 5"});
    }
    void readsTheConfiguration() {
        QFETCH(QString, config);
        QFETCH(QString, shows);
        QFETCH(QStringList, reports);
        shows.replace("*", QString::number(QLabel().font().pointSize()));
        QTemporaryDir dir;
        QString folder = VELO_SOURCE_DIR "/resources";
        if (!config.isEmpty()) {
            folder = dir.path();
            test::writeFile(dir.filePath("Velo_IGX.cfg"), config.toLatin1());
        }
        ScriptedInteraction ui;
        ui.answer(Answer::Ignore);
        ui.answer(Answer::Ignore);
        SplashForm splash(ui, folder);
        QCOMPARE(ui.shown().size(), reports.size());
        for (int i = 0; i < reports.size(); ++i)
            QVERIFY2(ui.shown()[i].title == "Error" && ui.shown()[i].text.contains(reports[i]),
                     qPrintable(ui.shown()[i].text));
        const QFont f = splash.companyLine()->font();
        QCOMPARE(QString("%1 %2 %3 %4 %5")
                     .arg(splash.companyLine()->text())
                     .arg(f.pointSize())
                     .arg(f.bold())
                     .arg(f.italic())
                     .arg(!splash.logo()->isHidden()),
                 shows);
        QCOMPARE(QCoreApplication::applicationName(), QString("Velo_IGX_Splash"));
    }

    void closesItself() {
        ScriptedInteraction ui;
        SplashForm splash(ui, QString(VELO_SOURCE_DIR "/resources"));
        splash.show();
        QVERIFY(QTest::qWaitFor([&] { return !splash.isVisible(); }, 8000));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
