// Download and upload from the Communications menu on the fake port: each outcome with
// its messages, the state left behind and where the traffic stopped.
#include "support/fake_link.h"

#include <QTest>
#include <algorithm>

using namespace velo;
using namespace velo::test;

namespace {

// Boxes as "icon text": "!" exclamation, "i" information, "x" the critical error report,
// "-" none; then the details, as "> text".
const QString kRs232 = "x RS-232 timeout. Check cable and click Abort.";
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

}  // namespace

class WorkflowsTest : public QObject {
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
            {kId, kVerifyFailed, "> Verification stopped at EEPROM address 16."}, 0x15);
        row("upload: Escape during verification", true, "loaded",
            {"escape", "Verifying EEPROM", "200"},
            {kId, kVerifyFailed, "> Verification stopped at EEPROM address 199."}, 0x15);
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
        int dialogs = 0;
        rig.ctx.editModParams = [&] { ++dialogs; };
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
            QCOMPARE(dialogs, 1);
        } else {
            QVERIFY(rig.image.BufferEmpty);
            QVERIFY(std::all_of(rig.image.DataBuffer.begin(), rig.image.DataBuffer.end(),
                                [](uint8_t b) { return b == 0; }));
            QCOMPARE(rig.state.title(), kBaseTitle + " - Data Buffer Empty");
            QCOMPARE(dialogs, 0);
            QCOMPARE(rig.state.menus().closeTbl, setup == "table");  // as they were
        }
    }

    void tableMenusAfterDownload() {
        for (bool table3D : {true, false}) {
            LinkRig rig;
            auto bytes = randomImage(4);
            bytes[ConfigImage::kOptions - ConfigImage::kFirstAddress] = table3D ? 0x10 : 0;
            rig.setControllerImage(bytes);
            int charts = 0;
            rig.ctx.chartSetup3D = [&] { ++charts; };
            rig.state.setTableMenus(!table3D);
            QCOMPARE(rig.link->download(), TransferOutcome::Completed);
            QCOMPARE(charts, table3D ? 1 : 0);
            QCOMPARE(rig.state.menus(), (MainState::Menus{true, table3D, table3D, table3D}));
        }
    }
};

QTEST_GUILESS_MAIN(WorkflowsTest)
#include "workflows_test.moc"
