// The controller link on the fake port. Download and upload from the Communications menu:
// each outcome with its messages, the state left behind, where the traffic stopped and what
// is kept in Tune History. Under them the single commands, the EEPROM runs, the line-error
// handler and the port probe.
#include "core/error_report.h"
#include "core/run_error.h"
#include "core/tune_history.h"
#include "data/file_commands.h"
#include "data/history_records.h"
#include "data/mod_params.h"
#include "link/port_finder.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "table/compare_file.h"
#include "table/table_commands.h"
#include "table/table_history.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace velo;
using namespace velo::test;

namespace {

// Boxes as "icon text": "!" exclamation, "i" information, "x" the critical error report,
// "-" none; then the details, as "> text".
const QString kTimeout = "RS-232 timeout. Check cable and click Abort.";
const QString kRs232 = "x " + kTimeout;
const QString kId = "! Firmware ID: IGX-1 V2.1";
const QString kNoLink = "! Cannot establish RS-232 link. Check cable and IGX-1 power.";
const QString kOverwrite = "- Data buffer not empty. OK to overwrite?";
const QString kDownloaded = "- Downloaded data to buffer. Ready for editing.";
const QString kUploaded = "! Upload completed.";
const QString kVerifyFailed = "i Upload aborted - EEPROM verification failed.";
const QString kBaseTitle = "Velo IGX Version 1.0";
constexpr int kNoTraffic = -1;
constexpr int kAnyLast = -2;

QStringList boxes(const ScriptedInteraction& ui) {
    QStringList out;
    for (const auto& box : ui.shown())
        out << QString("-i!x?").at(int(box.icon)) + QString(" ") + box.text;
    for (const QString& detail : ui.details()) out << "> " + detail;
    return out;
}

// One command by name, as the tables give it; its result, -1 for none.
int run(ControllerLink& link, const QString& command) {
    if (command == "resync") link.ReSync();
    if (command == "status") return link.ReadStatus();
    if (command == "id") link.ReadFirmwareID();
    if (command.startsWith("address ")) link.SetEEPROMAddress(command.mid(8).toInt());
    if (command == "read") return link.ReadEEPROM();
    if (command == "reset") link.ResetController();
    return -1;
}

// Progress values as the bar showed them, by caption.
std::shared_ptr<QMap<QString, QList<int>>> recordProgress(MainState& state) {
    auto runs = std::make_shared<QMap<QString, QList<int>>>();
    QObject::connect(&state, &MainState::progressChanged, [runs, &state] {
        QList<int>& values = (*runs)[state.progressCaption()];
        if (state.progressVisible() && (values.isEmpty() || values.back() != state.progressValue()))
            values << state.progressValue();
    });
    return runs;
}

// The test's clock, lent to the probe so that it can be read once the probe is done.
struct LentClock : LinkTiming {
    explicit LentClock(test::FakeClock& clock) : c(clock) {}
    test::FakeClock& c;
    double seconds() override { return c.seconds(); }
    void letMessagesRun(bool user) override { c.letMessagesRun(user); }
    void pause(int micros) override { c.pause(micros); }
};
}  // namespace

class ControllerLinkTest : public QObject {
    Q_OBJECT

  private slots:
    void transfer_data() {
        QTest::addColumn<bool>("upload");
        QTest::addColumn<QString>("setup");  // "loaded" buffer, "empty" buffer, "table" open
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("last");  // the last byte sent
        for (bool up : {false, true}) {
            const QString verb = up ? "upload" : "download";
            const QString setup = up ? "loaded" : "empty";
            auto row = [&](const char* tag, const QStringList& sim, const QStringList& messages,
                           int last) {
                QTest::newRow(qPrintable(verb + ": " + tag))
                    << up << setup << sim << messages << last;
            };
            row("controller off", {"--silent-from", "1"}, {kNoLink}, 0x33);
            row("engine running", {"--status", "3"},
                {QString("! Cannot %1 while engine is running.").arg(verb)}, 0x2E);
            row("status times out", {"--silent-from", "2"}, {kRs232}, 0x2E);
            row("identification without CR", {"--id-no-cr"},
                {kRs232, QString("! Firmware ID read failed - cannot %1.").arg(verb)}, 0x10);
            row("empty identification", {"--id", ""},
                {QString("! Invalid firmware ID - cannot %1.").arg(verb)}, 0x10);
            row("resync answers at the fifth try", {"--resync-fail", "4"},
                {kId, up ? kUploaded : kDownloaded}, up ? 0x3C : 0x15);
        }
        const int kBuffer77 = randomImage(22)[77 - 16];
        auto row = [](const char* tag, bool up, const QString& setup, const QStringList& sim,
                      const QStringList& messages,
                      int last) { QTest::newRow(tag) << up << setup << sim << messages << last; };
        row("download: cancel at the question", false, "loaded", {}, {kOverwrite}, kNoTraffic);
        // An IGX-1 is any identification that holds "IGX-1", in any case.
        row("download: another unit", false, "loaded", {"--id", "IGX-2 V1.0"},
            {kOverwrite, "! Firmware ID: IGX-2 V1.0",
             "- Not a supported IGX-1 unit. Cannot download and edit data."},
            0x10);
        row("download: a piece of IGX-1", false, "empty", {"--id", "IGX-"},
            {"! Firmware ID: IGX-", "- Not a supported IGX-1 unit. Cannot download and edit data."},
            0x10);
        row("download: lower case, text around it", false, "empty", {"--id", "Orvane igx-1 V2"},
            {"! Firmware ID: Orvane igx-1 V2", kDownloaded}, 0x15);
        row("download: 8-bit text", false, "empty", {"--id", "IGX-1 \\xB0C"},
            {"! Firmware ID: IGX-1 \u00B0C", kDownloaded}, 0x15);
        row("download: set address refused", false, "empty", {"--addr-answer", "0x15"},
            {kId, "! Download failed."}, 0x00);
        row("download: read answer missing", false, "empty", {"--read-drop", "100"},
            {kId, kRs232, "! Download failed."}, 0x15);
        row("download: controller off, a table open", false, "table", {"--silent-from", "1"},
            {kOverwrite, kNoLink}, 0x33);
        row("upload: table open", true, "table", {},
            {"! You must close or save any open table before uploading."}, kNoTraffic);
        row("upload: buffer empty", true, "empty", {}, {"! No data available for uploading."},
            kNoTraffic);
        row("upload: another unit", true, "loaded", {"--id", "XR-7"},
            {"! Firmware ID: XR-7", "- Not a IGX-1 unit. Cannot upload data."}, 0x10);
        row("upload: write refused", true, "loaded", {"--write-refuse", "100"},
            {kId, "i Upload aborted - EEPROM programming failed."}, kAnyLast);
        row("upload: write not answered", true, "loaded", {"--silent-from", "90"},
            {kId, kRs232, "i Upload aborted - EEPROM programming failed."}, kAnyLast);
        row("upload: read-back differs twice", true, "loaded",
            {"--read-corrupt", "77", "--read-corrupt", "200"},
            {kId, kVerifyFailed,
             QString::asprintf("> First difference at EEPROM address 77: expected 0x%02X, read "
                               "0x%02X (2 bytes differ).",
                               kBuffer77, kBuffer77 ^ 0xFF)},
            0x15);
        // Escape, pressed when the run is at that address: the read stops at once, programming
        // goes on and the verification after it stops at its first byte.
        row("download: Escape during the read", false, "empty", {"escape", "Reading EEPROM", "60"},
            {kId, "! Download failed."}, 0x15);
        row("upload: Escape during programming", true, "loaded",
            {"escape", "Programming EEPROM", "30"},
            {kId, kVerifyFailed,
             "> Verification stopped at EEPROM address 16: 263 bytes not read."},
            0x15);
        row("upload: Escape during verification", true, "loaded",
            {"escape", "Verifying EEPROM", "200"},
            {kId, kVerifyFailed,
             "> Verification stopped at EEPROM address 199: 80 bytes not read."},
            0x15);
        // A read that got no answer is no difference: the controller holds the buffer.
        row("upload: read-back cut off", true, "loaded", {"--read-drop", "194"},
            {kId, kRs232, kVerifyFailed,
             "> Verification stopped at EEPROM address 194: 86 bytes not read."},
            0x15);
        row("upload: reset answered 0x00", true, "loaded", {"--reset-answer", "0"},
            {kId, "! Upload aborted - Reset IGX-1 failed"}, 0x3C);
        row("upload: reset not answered", true, "loaded", {"--reset-silent"},
            {kId, "x COM port timeout. Check cable and click Abort.",
             "! Upload aborted - Reset IGX-1 failed"},
            0x3C);
    }

    void transfer() {
        QFETCH(bool, upload);
        QFETCH(QString, setup);
        QFETCH(QStringList, sim);
        QFETCH(QStringList, messages);
        QFETCH(int, last);

        const bool escape = sim.value(0) == "escape";  // caption, address
        LinkRig rig(escape ? QStringList{} : sim);
        bool pressed = false;
        rig.clock->onUserPass = [&] {
            if (escape && !pressed && rig.state.progressCaption() == sim[1] &&
                rig.port->controller.pointer() == sim[2].toInt())
                pressed = rig.state.AbortRequested = true;
        };
        const auto controllerBytes = randomImage(21);
        const auto bufferBytes = randomImage(22);
        rig.setControllerImage(controllerBytes);
        if (setup != "empty") rig.load(bufferBytes);
        if (setup == "table") {
            rig.state.setOpenTable(MainState::OpenTable::Table3D);
            rig.state.setTableMenus(true);
        }
        rig.state.setTitleSuffix("tune.dat");
        const QString title = rig.state.title();
        const bool cancel = messages == QStringList{kOverwrite};
        if (cancel) rig.ui.answer(Answer::Cancel);

        const TransferOutcome outcome = upload ? rig.link->upload() : rig.link->download();
        QCOMPARE(boxes(rig.ui), messages);
        for (const auto& box : rig.ui.shown())
            if (box.title != "Error")
                QCOMPARE(box.title, QString(upload ? "Upload To EEPROM" : "Download From EEPROM"));
        const bool completed = messages.contains(kDownloaded) || messages.contains(kUploaded);
        QCOMPARE(outcome, completed ? TransferOutcome::Completed
                          : cancel  ? TransferOutcome::Cancelled
                                    : TransferOutcome::Failed);
        if (last != kAnyLast)
            QCOMPARE(rig.port->sent.empty() ? kNoTraffic : rig.port->sent.back(), last);
        // A refused set address is the one outcome that leaves the port open.
        QCOMPARE(rig.port->isOpen(), sim.contains("--addr-answer"));
        if (messages.endsWith(kNoLink)) QCOMPARE(rig.port->sent.size(), size_t(5));  // attempts
        // A download drops an open table without a question.
        if (!upload && !cancel) QVERIFY(!rig.state.tableOpen());
        QVERIFY(!rig.state.AbortRequested);
        QVERIFY(!rig.state.progressVisible());
        // The read stops at once: the last read sent is the one Escape came after.
        if (sim.contains("Reading EEPROM"))
            QCOMPARE(int(std::count(rig.port->sent.begin(), rig.port->sent.end(), 0x15)), 60 - 16);

        if (upload) {
            const bool programmed = completed || messages.contains(kVerifyFailed) ||
                                    messages.join('|').contains("Reset IGX-1 failed");
            QCOMPARE(rig.controllerImage() == bufferBytes, programmed);
            QCOMPARE(rig.port->controller.resets() > 0, last == 0x3C);
            QCOMPARE(rig.state.title(), title);
            QCOMPARE(rig.image.BufferEmpty, setup == "empty");
            // A refused unit is set back; an empty identification leaves "Unknown".
            QCOMPARE(rig.state.UnitModel,
                     QString(sim == QStringList{"--id", ""} ? "Unknown" : "IGX-1"));
        } else if (cancel) {
            QCOMPARE(rig.image.imageBytes(), bufferBytes);
            QCOMPARE(rig.state.title(), title);
            QVERIFY(!rig.image.BufferEmpty);
        } else if (completed) {
            QVERIFY(!rig.image.BufferEmpty);
            QCOMPARE(rig.image.imageBytes(), controllerBytes);
            QCOMPARE(rig.state.title(), kBaseTitle + " - Downloaded Data");
            QCOMPARE(rig.heard.modParams, 1);
        } else {
            QVERIFY(rig.image.BufferEmpty);
            QVERIFY(std::all_of(rig.image.DataBuffer.begin(), rig.image.DataBuffer.end(),
                                [](uint8_t b) { return b == 0; }));
            QCOMPARE(rig.state.title(), kBaseTitle + " - Data Buffer Empty");
            QCOMPARE(rig.heard.modParams, 0);
            QCOMPARE(rig.state.menus().closeTbl, setup == "table");  // as they were
        }
    }

    void tableMenusAfterDownload() {
        for (bool table3D : {true, false}) {
            LinkRig rig;
            auto bytes = randomImage(4);
            bytes[ConfigImage::kOptions - ConfigImage::kFirstAddress] = table3D ? 0x10 : 0;
            rig.setControllerImage(bytes);
            rig.state.setTableMenus(!table3D);
            QCOMPARE(rig.link->download(), TransferOutcome::Completed);
            QCOMPARE(rig.heard.chartSetups, table3D ? 1 : 0);
            QCOMPARE(rig.state.menus(), (MainState::Menus{true, table3D, table3D, table3D}));
        }
    }

    void workflowKeepsEntries_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<QStringList>("kept");  // "event: note", newest first
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("warning");
        const QString buffer = history::kBufferKept, edits = history::kEditsKept;
        const QString partly = history::kPartlyProgrammed;
        auto row = [](const char* tag, const char* action, const QStringList& sim,
                      const QStringList& kept, const QString& notice, const QString& warning = {}) {
            QTest::newRow(tag) << action << sim << kept << notice << warning;
        };
        row("download over a buffer and a table", "download", {},
            {"download: ", "buffer-kept: before Download", "table-edits: before Download"}, buffer);
        row("failed download", "download", {"--read-drop", "100"},
            {"buffer-kept: before Download", "table-edits: before Download"}, buffer, "unchanged");
        const QString before = "controller-before-upload: before Upload";
        row("verified upload", "upload", {}, {"upload: verified", before}, "");
        row("programming stopped", "upload", {"--write-refuse", "100"},
            {"upload-failed: programming stopped after EEPROM address 99", before}, "", partly);
        row("read-back differs", "upload", {"--read-corrupt", "77"},
            {"upload-failed: verification found EEPROM address 77 different", before}, "", partly);
        row("read-back cut off", "upload only", {"--read-drop", "194"},
            {"upload-failed: verification stopped at EEPROM address 194: 86 bytes not read"}, "",
            partly);
        row("Edit drops the table's edits", "edit", {}, {"table-edits: before Edit Timing Table"},
            edits);
        row("Close answered No", "close", {}, {"table-edits: Close Timing Table answered No"},
            edits);
        row("Save with the other table in use now", "switch", {},
            {"table-edits: before the table closed"}, edits);
        row("open into an empty buffer", "open", {}, {"open: "}, "");
        row("trigger timing clips the tables", "clip", {}, {"before-clip: before Trig Timing 20"},
            QString("OK brought 21 cells into 0.0° to 20.0°. ") + history::kClippedKept);
    }
    void workflowKeepsEntries() {
        QFETCH(QString, action);
        QFETCH(QStringList, sim);
        QFETCH(QStringList, kept);
        QFETCH(QString, notice);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        TuneHistory store(dir.filePath("h.sqlite"));
        LinkRig rig(sim);
        TableEditor editor(rig.ctx);
        rig.ctx.history = &store;
        rig.setControllerImage(randomImage(21));
        rig.image.setImageBytes(randomImage(22));
        rig.image.Table2DEnabled = true;
        rig.image.Table3DEnabled = false;
        for (int k = 1; k <= 21; ++k) rig.image.Table2D(k, 1) = 35;
        rig.image.BufferEmpty = action == "open";
        rig.link->readBeforeUpload = action != "upload only";
        if (!action.startsWith("upload") && action != "clip" && action != "open") {
            editor.open(TableKind::Table2D);
            editor.session()->acceptEdit(1, 1, "12");
        }
        if (action == "download") rig.link->download();
        if (action.startsWith("upload")) rig.link->upload();
        if (action == "edit") mnuEditTimingTable_Click(editor);
        if (action == "close") rig.ui.answer(Answer::No), mnuCloseTbl_Click(editor);
        if (action == "switch") std::swap(rig.image.Table2DEnabled, rig.image.Table3DEnabled);
        if (action == "switch") mnuSaveTbl_Click(editor);
        if (action == "open") {
            rig.ui.answerFile(test::writeFile(dir.filePath("o.dat"), QByteArray(264, 7)));
            mnuOpenFile_Click(rig.ctx);
        }
        if (action == "clip") {
            ModParamsForm form(rig.ctx);
            form.Form_Load();
            form.sldTrigTiming_Change(20);
            form.cmdOK_Click();
        }
        QStringList got;
        for (const HistoryEntry& e : store.entries()) got << e.event + ": " + e.note;
        QCOMPARE(got, kept);
        QCOMPARE(rig.heard.lastNotice(), notice);
        if (action.startsWith("upload") || action == "download")
            QCOMPARE(rig.heard.warnings.value(rig.heard.warnings.size() - 1, "unchanged"), warning);
    }

    // The controller's tune is read before it is programmed over unless this link's own
    // transfer is still the newest; a read that fails asks, and No programs nothing.
    void readBeforeUpload_data() {
        QTest::addColumn<QString>("before");  // what happened first
        QTest::addColumn<int>("answer");      // to the question after a failed read; -1: none
        QTest::addColumn<bool>("read");
        // clang-format off
        QTest::newRow("first upload of the run")       << ""                << -1 << true;
        QTest::newRow("after this link's download")    << "download"        << -1 << false;
        QTest::newRow("after another writer's upload") << "download, other" << -1 << true;
        QTest::newRow("after a port change")           << "download, port"  << -1 << true;
        QTest::newRow("setting off")                   << "off"             << -1 << false;
        QTest::newRow("read fails, No")  << "" << int(Answer::No)  << true;
        QTest::newRow("read fails, Yes") << "" << int(Answer::Yes) << true;
        // clang-format on
    }
    void readBeforeUpload() {
        QFETCH(QString, before);
        QFETCH(int, answer);
        QFETCH(bool, read);
        QTemporaryDir dir;
        TuneHistory store(dir.filePath("h.sqlite"));
        LinkRig rig(answer >= 0 ? QStringList{"--read-drop", "100"} : QStringList{});
        rig.ctx.history = &store;
        rig.link->readBeforeUpload = before != "off";
        rig.setControllerImage(randomImage(21));
        if (before.startsWith("download")) rig.link->download();
        if (before.endsWith("other"))
            store.record(HistoryEvent::Upload, QByteArray(264, 1), "/dev/fake1");
        // Another controller may be on the port now.
        if (before.endsWith("port"))
            rig.link->setCommPort(1), rig.setControllerImage(randomImage(3));
        const QByteArray held = bytesOf(rig.controllerImage());
        rig.load(randomImage(22));
        rig.ui.clear();
        if (answer >= 0) rig.ui.answer(Answer::Abort), rig.ui.answer(Answer(answer));
        const auto progress = recordProgress(rig.state);
        rig.link->upload();
        QCOMPARE(progress->contains("Reading the controller's tune"), read);
        QCOMPARE(rig.ui.texts().contains("The controller's tune could not be read; upload anyway?"),
                 answer >= 0);
        QCOMPARE(rig.controllerImage() == randomImage(22), answer != int(Answer::No));
        if (read && answer < 0)
            QCOMPARE(store.entry(store.entries("controller-before-upload")[0].id)->bytes, held);
    }

    // The controller read beside the buffer: the download's checks and messages under its
    // own title, and the buffer, title and menus as they were.
    void compareWithController_data() {
        QTest::addColumn<QStringList>("sim");  // "empty": no buffer
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("summary");  // with six cells changed on the controller
        // clang-format off
        QTest::newRow("same") << QStringList{} << QStringList{kId} << "same as the buffer";
        QTest::newRow("six cells differ") << QStringList{"--id", "IGX-1 V2.1"} << QStringList{kId}
                                          << "6 cells differ from the buffer";
        QTest::newRow("buffer empty") << QStringList{"empty"} << QStringList{"! Data buffer empty."} << "";
        QTest::newRow("controller off") << QStringList{"--silent-from", "1"} << QStringList{kNoLink} << "";
        QTest::newRow("another unit") << QStringList{"--id", "XR-7"} << QStringList{"! Firmware ID: XR-7",
            "- Not a supported IGX-1 unit. Cannot download and edit data."} << "";
        QTest::newRow("read fails") << QStringList{"--read-drop", "100"}
                                    << QStringList{kId, kRs232, "! Download failed."} << "";
        // clang-format on
    }
    void compareWithController() {
        QFETCH(QStringList, sim);
        QFETCH(QStringList, messages);
        QFETCH(QString, summary);
        const bool empty = sim == QStringList{"empty"};
        LinkRig rig(empty ? QStringList{} : sim);
        auto bytes = randomImage(22);
        bytes[ConfigImage::kOptions - ConfigImage::kFirstAddress] = 0x10;  // the 3D table
        if (!empty) rig.load(bytes);
        for (int k = 1; k <= 6 && sim.contains("IGX-1 V2.1"); ++k)
            bytes[ConfigImage::offset3D(k, 3) - 16] ^= 0x10;
        rig.setControllerImage(bytes);
        rig.state.setTitleSuffix("tune.dat");
        const QString title = rig.state.title();
        const auto before = rig.image.DataBuffer;
        const auto c = compareBufferWithController(rig.ctx, *rig.link);
        QCOMPARE(boxes(rig.ui), messages);
        for (const auto& box : rig.ui.shown())
            if (box.title != "Error") QCOMPARE(box.title, QString("Compare With Controller"));
        QCOMPARE(c ? controllerSummary(compareImages(c->buffer, c->file)).mid(12) : QString(),
                 summary);
        QVERIFY(rig.image.DataBuffer == before && rig.image.BufferEmpty == empty);
        QCOMPARE(rig.state.title(), title);
        QVERIFY(!rig.state.progressVisible() && !rig.port->isOpen());
    }

    // What a crash would lose is written, and comes back after it as it was in memory.
    void autosaveKeepsWhatACrashWouldLose_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("kind");  // of the lost run; -2: none lost
        QTest::newRow("a 3D cell edited") << "edit" << 1;
        QTest::newRow("cylinders, trigger timing and a cell") << "params edit" << 1;
        QTest::newRow("module parameters only") << "params" << -1;
        QTest::newRow("edits saved, then the file") << "edit save" << -2;
        QTest::newRow("a file as it was loaded") << "" << -2;
    }
    void autosaveKeepsWhatACrashWouldLose() {
        QFETCH(QString, what);
        QFETCH(int, kind);
        QTemporaryDir dir;
        QByteArray params;
        QVector<double> values;
        {
            TuneHistory store(dir.filePath("h.sqlite"));
            ModelRig rig;
            TableEditor editor(rig.ctx);
            BufferAutosave autosave(editor, store, 1 << 30);
            rig.load(readDataFile(VELO_SOURCE_DIR "/resources/demo_3d.dat").bytes);
            emit rig.state.bufferWritten();
            if (what.contains("params")) {
                rig.image.Cyl6 = false, rig.image.Cyl4 = true;
                rig.image.TrigTiming = 30;  // the cells as the dialog brought them in
                rig.image.Table3D(5, 1) = 29.5;
            }
            if (what.contains("edit")) {
                mnuEditTimingTable_Click(editor);
                editor.session()->acceptEdit(1, 1, "12");
            }
            if (what.contains("save")) mnuSaveTbl_Click(editor), emit rig.state.bufferWritten();
            autosave.check();
            params = history::packParams(rig.image);
            if (editor.session()) values = editor.session()->cells().values;
        }  // as a crash leaves it: no end of the run
        TuneHistory next(dir.filePath("h.sqlite"));
        const QVector<UnsavedWork> lost = next.lostRuns();
        QCOMPARE(lost.isEmpty() ? -2 : lost[0].kind ? int(*lost[0].kind) : -1, kind);
        if (lost.isEmpty()) return;
        ModelRig back;
        TableEditor editor(back.ctx);
        restoreUnsavedWork(editor, lost[0]);
        QCOMPARE(history::packParams(back.image), params);
        QCOMPARE(editor.session() ? editor.session()->cells().values : QVector<double>(), values);
    }

    // Each command alone: the bytes it sends with the pauses between them, its result, the
    // port after it, how long its answer wait ran and the error report it gave.
    void commands_data() {
        QTest::addColumn<QString>("sim");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("wire");  // bytes sent and pauses in milliseconds
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QString>("wait");    // "" answered, "full" second, "yielding" too
        QTest::addColumn<QString>("report");  // shown three times: Retry, Retry, Ignore
        auto row = [](const char* tag, const char* sim, const char* command, const char* wire,
                      bool ok, bool open, const char* wait = "", const QString& report = {}) {
            QTest::newRow(tag) << sim << command << wire << ok << open << wait << report;
        };
        row("resync", "", "resync", "33 p2", true, true);
        row("resync answered 0x15", "--resync-answer 0x15", "resync", "33 p2", false, true);
        row("resync, no controller", "--silent-from 1", "resync", "33", false, true, "full");
        row("status", "", "status", "2E p2", true, true);
        row("identification", "", "id", "10 p2", true, false);
        row("address 200", "", "address 200", "14 p2 C8 p2 00 p2", true, true);
        row("address 279", "", "address 279", "14 p2 17 p2 01 p2", true, true);
        row("address refused: no pause", "--addr-answer 0x15", "address 16", "14 p2 10 p2 00",
            false, true);
        row("read byte", "", "read", "15 p2", true, true);
        // The key a real controller expects, spelt out: the simulator shares the constant.
        const char* reset = "34 p2 5A p2 A5 p2 C3 p2 3C p2";
        row("reset", "", "reset", reset, true, false, "full");
        row("reset answered 0x00", "--reset-answer 0x00", "reset", reset, false, false, "full");
        row("reset answered with two bytes", "--reset-answer 0x06,0x00", "reset", reset, true,
            false);
        // No answer: the port is closed before the report.
        const char* silent = "--silent-from 1";
        row("status, no answer", silent, "status", "2E", false, false, "full", kTimeout);
        row("identification, no answer", silent, "id", "10", false, false, "yielding", kTimeout);
        row("address, no answer", silent, "address 16", "14 p2 10 p2 00", false, false, "full",
            kTimeout);
        row("read byte, no answer", silent, "read", "15", false, false, "full", kTimeout);
        row("reset, no answer", silent, "reset", "34 p2 5A p2 A5 p2 C3 p2 3C", false, false, "full",
            "COM port timeout. Check cable and click Abort.");
        row("port that cannot open", "open fails", "status", "", false, false, "",
            "Cannot open Com1: No such file or directory");
    }

    void commands() {
        QFETCH(QString, sim);
        QFETCH(QString, command);
        QFETCH(QString, wire);
        QFETCH(bool, ok);
        QFETCH(bool, open);
        QFETCH(QString, wait);
        QFETCH(QString, report);
        const bool openFails = sim == "open fails";
        LinkRig rig(openFails ? QStringList{} : sim.split(' ', Qt::SkipEmptyParts));
        rig.port->openFails = openFails;
        for (Answer a : {Answer::Retry, Answer::Retry, Answer::Ignore}) rig.ui.answer(a);
        rig.ui.onShow = [&](const ScriptedInteraction::Shown&) { QVERIFY(!rig.port->isOpen()); };
        const double start = rig.clock->now;
        const int result = run(*rig.link, command);
        QCOMPARE(rig.port->wire.join(' '), wire);  // Retry sends nothing more
        QCOMPARE(rig.link->LinkOK, ok);
        if (!ok) QVERIFY(result <= 0);
        QCOMPARE(rig.port->isOpen(), open);
        QStringList reports = report.isEmpty() ? QStringList() : QStringList(3, report);
        if (openFails) reports << kTimeout;  // Ignore goes on, and finds no answer
        QCOMPARE(rig.ui.texts(), reports);
        const double took = rig.clock->now - start;
        QCOMPARE(took > 1.0, !wait.isEmpty());
        QVERIFY(took < 1.02);
        // Only the pauses and the identification let the user in.
        QCOMPARE(rig.clock->userPasses > 1000, wait == "yielding");
    }

    void delayTimer() {
        LinkRig rig;
        try {
            rig.link->DelayTimer(2147484);  // x 1000 overflows 32 bits
            QFAIL("no overflow raised");
        } catch (const RunError& e) {
            QCOMPARE(e.number, kOverflowError);
        }
        // On the monotonic clock a pause is never short.
        SystemTiming timing;
        QElapsedTimer t;
        t.start();
        timing.pause(5000);
        QVERIFY(t.nsecsElapsed() >= 5'000'000);
    }

    void programVerifyAndRead() {
        LinkRig rig;
        const auto bytes = randomImage(11);
        rig.image.setImageBytes(bytes);
        const auto progress = recordProgress(rig.state);
        rig.link->WriteEEPROMData();
        QVERIFY(rig.link->LinkOK);
        QCOMPARE(rig.link->VerifyErrors, 0);
        QCOMPARE(rig.controllerImage(), bytes);
        QString wire = "14 p2 10 p2 00 p2";
        for (uint8_t b : bytes) wire += QString::asprintf(" 16 p2 %02X p2", b);
        wire += " 14 p2 10 p2 00 p2" + QString(" 15 p2").repeated(264);
        QCOMPARE(rig.port->wire.join(' '), wire);

        rig.port->wire.clear();
        rig.image.DataBuffer.fill(0x55);
        rig.link->ReadEEPROMData();
        QVERIFY(rig.link->LinkOK);
        QCOMPARE(rig.image.imageBytes(), bytes);
        for (int a = 0; a < 16; ++a) QCOMPARE(rig.image.DataBuffer[a], uint8_t(0));
        QVERIFY(!rig.image.BufferEmpty);
        // 2 ms after each answer, 5 ms more before the next read.
        QCOMPARE(rig.port->wire.join(' '),
                 "14 p2 10 p2 00 p2" + QString(" 15 p2 p5").repeated(264));

        QVERIFY(!rig.port->isOpen());
        QVERIFY(!rig.state.progressVisible());
        // Each run starts again at 0, shows 6 for address 16 and ends at 100.
        QCOMPARE(progress->keys(),
                 (QStringList{"Programming EEPROM", "Reading EEPROM", "Verifying EEPROM"}));
        for (const QList<int>& values : *progress) {
            QCOMPARE(values.mid(0, 2), (QList<int>{0, 6}));
            QCOMPARE(values.back(), 100);
            QVERIFY(std::is_sorted(values.begin(), values.end()));
        }
    }

    void lineErrors_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("framing") << 1004 << "Framing error.";
        QTest::newRow("overrun") << 1006 << "Port hardware overrun.";
        QTest::newRow("overflow") << 1008 << "Receive buffer overflow.";
        QTest::newRow("parity") << 1009 << "Parity error.";
        QTest::newRow("tx full") << 1010 << "Transmit buffer full.";
        QTest::newRow("dcb") << 1011 << "Device control block error.";
        QTest::newRow("receive event") << 2 << "";
    }

    void lineErrors() {
        QFETCH(int, code);
        QFETCH(QString, text);
        LinkRig rig;
        rig.link->ReSync();
        QList<bool> openWhileShown;
        rig.ui.onShow = [&](const ScriptedInteraction::Shown& s) {
            QCOMPARE(s.title, QString("Communications Error"));
            QCOMPARE(s.buttons, Buttons::RetryCancel);
            QCOMPARE(s.icon, Icon::Critical);
            openWhileShown << rig.port->isOpen();
        };
        for (Answer a : {Answer::Retry, Answer::Retry, Answer::Cancel}) rig.ui.answer(a);
        for (int i = 0; i < 3; ++i) rig.port->onComm(code);
        if (text.isEmpty()) {
            QVERIFY(rig.ui.shown().isEmpty());
            QCOMPARE(rig.state.CommErrorCount, 0);
            return;
        }
        QCOMPARE(rig.ui.texts(), QStringList(3, text));
        // The third report closes the port before its box comes up.
        QCOMPARE(openWhileShown, (QList<bool>{true, true, false}));
        QCOMPARE(rig.state.CommErrorCount, 3);
        // Cancel closes the port.
        rig.link->ReSync();
        rig.ui.answer(Answer::Cancel);
        rig.state.CommErrorCount = 0;
        rig.port->onComm(code);
        QVERIFY(!rig.port->isOpen());
    }

    // The probe is the identification command itself, silent, and never waits past 1 s.
    void probeAsksForTheIdentification_data() {
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<bool>("openFails");
        QTest::addColumn<QString>("firmware");  // "-": no answer
        QTest::addColumn<double>("seconds");
        // clang-format off
        QTest::newRow("other unit")  << QStringList{"--id", "igx-2"} << false << "igx-2" << 0.01;
        QTest::newRow("silent")      << QStringList{"--silent-from", "1"} << false << "-" << 1.01;
        QTest::newRow("cannot open") << QStringList{} << true << "-" << 0.0;
        // clang-format on
    }
    void probeAsksForTheIdentification() {
        QFETCH(QStringList, sim);
        QFETCH(bool, openFails);
        QFETCH(QString, firmware);
        QFETCH(double, seconds);
        std::vector<std::string> args;
        for (const QString& a : sim) args.push_back(a.toStdString());
        test::FakeClock clock;
        const double start = clock.now;
        auto port = std::make_unique<test::FakePort>(clock, *igx1sim::parseArgs(args).options);
        port->openFails = openFails;
        const ProbeAnswer a = probeController(std::move(port), std::make_unique<LentClock>(clock));
        QCOMPARE(a.firmware.value_or("-"), firmware);
        QVERIFY(!a.igx);  // velo-igx-cli ports finds the simulated IGX-1
        QVERIFY(clock.now - start <= seconds);
    }

    void permissionAdviceFollowsTheReport() {
        ScriptedInteraction ui;
        ErrorReport(ui, {8002, "Velo_IGX_Main", "Cannot open Com1", permissionFollowUp("/dev/x")});
        QCOMPARE(ui.texts(), (QStringList{"Cannot open Com1",
                                          "Your user may not use /dev/x. Add it to the dialout "
                                          "group: sudo usermod -aG dialout $USER, then log out "
                                          "and in."}));
    }
};

QTEST_GUILESS_MAIN(ControllerLinkTest)
#include "controller_link_test.moc"
