// Download and upload from the Communications menu, each outcome with its messages, the
// state left behind and the traffic after it.
#include "link/protocol.h"
#include "support/fake_link.h"

#include <QTest>
#include <algorithm>

using namespace velo;
using namespace velo::test;

namespace {

const QString kRs232 = "RS-232 timeout. Check cable and click Abort.";
const QString kComPort = "COM port timeout. Check cable and click Abort.";
const QString kId = "Firmware ID: IGX-1 V2.1";
const QString kNoLink = "Cannot establish RS-232 link. Check cable and IGX-1 power.";
const QString kBaseTitle = "Velo IGX Version 1.0";
constexpr int kNoTraffic = -1;
constexpr int kAnyLast = -2;

std::vector<std::string> args(const QStringList& list) {
    std::vector<std::string> out;
    for (const auto& a : list) out.push_back(a.toStdString());
    return out;
}

int lastSent(const FakePort& port) {
    return port.sent.empty() ? kNoTraffic : port.sent.back().byte;
}

}  // namespace

class WorkflowsTest : public QObject {
    Q_OBJECT

  private slots:
    void download_data();
    void download();
    void downloadDropsAnOpenTable();
    void downloadOf3DImage();
    void escapeDuringDownload();
    void upload_data();
    void upload();
    void escapeDuringUploadVerify();
    void roundTripOfRandomImages();
};

void WorkflowsTest::download_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<bool>("bufferLoaded");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("last");

    const int failed = int(TransferOutcome::Failed);
    QTest::newRow("cancel at the question")
        << QStringList{} << true << true << QStringList{"Data buffer not empty. OK to overwrite?"}
        << int(TransferOutcome::Cancelled) << false << kNoTraffic;
    QTest::newRow("controller off") << QStringList{"--silent-from", "1"} << false << false
                                    << QStringList{kNoLink} << failed << false << 0x33;
    QTest::newRow("engine running")
        << QStringList{"--status", "0"} << false << false
        << QStringList{"Cannot download while engine is running."} << failed << false << 0x2E;
    QTest::newRow("status times out") << QStringList{"--silent-from", "2"} << false << false
                                      << QStringList{kRs232} << failed << false << 0x2E;
    QTest::newRow("identification without CR")
        << QStringList{"--id-no-cr"} << false << false
        << QStringList{kRs232, "Firmware ID read failed - cannot download."} << failed << false
        << 0x10;
    QTest::newRow("empty identification")
        << QStringList{"--id", ""} << false << false
        << QStringList{"Invalid firmware ID - cannot download."} << failed << false << 0x10;
    QTest::newRow("another unit")
        << QStringList{"--id", "IGX-2 V1.0"} << true << false
        << QStringList{"Data buffer not empty. OK to overwrite?", "Firmware ID: IGX-2 V1.0",
                       "Not a supported IGX-1 unit. Cannot download and edit data."}
        << failed << false << 0x10;
    QTest::newRow("set address refused")
        << QStringList{"--addr-answer", "0x15"} << false << false
        << QStringList{kId, "Download failed."} << failed << true << 0x00;
    QTest::newRow("read answer missing")
        << QStringList{"--read-drop", "100"} << false << false
        << QStringList{kId, kRs232, "Download failed."} << failed << false << 0x15;
    QTest::newRow("adapter pulled out")
        << QStringList{"--unplug-read", "150"} << false << false
        << QStringList{kId, kRs232, "Download failed."} << failed << false << 0x15;
    QTest::newRow("resync answers at the fourth try")
        << QStringList{"--resync-fail", "3"} << false << false
        << QStringList{kId, "Downloaded data to buffer. Ready for editing."}
        << int(TransferOutcome::Completed) << false << 0x15;
    QTest::newRow("stale bytes at open")
        << QStringList{"--garbage", "7"} << true << false
        << QStringList{"Data buffer not empty. OK to overwrite?", kId,
                       "Downloaded data to buffer. Ready for editing."}
        << int(TransferOutcome::Completed) << false << 0x15;
}

void WorkflowsTest::download() {
    QFETCH(QStringList, sim);
    QFETCH(bool, bufferLoaded);
    QFETCH(bool, cancel);
    QFETCH(QStringList, messages);
    QFETCH(int, outcome);
    QFETCH(bool, portOpen);
    QFETCH(int, last);

    LinkRig rig(simOptions(args(sim)));
    const auto controllerBytes = randomImage(21);
    rig.setControllerImage(controllerBytes);
    int dialogs = 0;
    rig.ctx.editModParams = [&] { ++dialogs; };
    if (bufferLoaded) {
        rig.image.setImageBytes(randomImage(22));
        rig.image.BufferEmpty = false;
        rig.state.setTitleSuffix("old.dat");
    }
    const auto before = rig.image.DataBuffer;
    const QString titleBefore = rig.state.title();
    if (cancel) rig.ui.answer(Answer::Cancel);

    QCOMPARE(int(rig.link->download()), outcome);
    QCOMPARE(rig.ui.texts(), messages);
    for (const auto& box : rig.ui.shown())
        if (box.title != "Error") QCOMPARE(box.title, QString("Download From EEPROM"));
    QCOMPARE(rig.port->isOpen(), portOpen);
    QCOMPARE(lastSent(*rig.port), last);

    if (outcome == int(TransferOutcome::Cancelled)) {
        QCOMPARE(rig.image.DataBuffer, before);
        QCOMPARE(rig.state.title(), titleBefore);
        QVERIFY(!rig.image.BufferEmpty);
    } else if (outcome == int(TransferOutcome::Failed)) {
        QVERIFY(rig.image.BufferEmpty);
        QVERIFY(std::all_of(rig.image.DataBuffer.begin(), rig.image.DataBuffer.end(),
                            [](uint8_t b) { return b == 0; }));
        QCOMPARE(rig.state.title(), kBaseTitle + " - Data Buffer Empty");
        QCOMPARE(dialogs, 0);
    } else {
        QVERIFY(!rig.image.BufferEmpty);
        QCOMPARE(rig.image.imageBytes(), controllerBytes);
        QCOMPARE(rig.state.title(), kBaseTitle + " - Downloaded Data");
        QCOMPARE(dialogs, 1);
        QCOMPARE(rig.ui.shown().back().icon, Icon::None);
    }
}

void WorkflowsTest::downloadDropsAnOpenTable() {
    LinkRig rig(simOptions({"--silent-from", "1"}));
    rig.state.setOpenTable(MainState::OpenTable::Table2D);
    rig.state.setTableMenus(true);
    rig.link->download();
    // No question about the table; the menus stay as they were after a failure.
    QCOMPARE(rig.ui.texts(), QStringList{kNoLink});
    QVERIFY(!rig.state.tableOpen());
    QVERIFY(rig.state.menus().closeTbl);
    // Five attempts of a second each.
    QCOMPARE(rig.port->sent.size(), size_t(5));
}

void WorkflowsTest::downloadOf3DImage() {
    LinkRig rig;
    auto bytes = randomImage(4);
    ConfigImage decoded;
    decoded.setImageBytes(bytes);
    decoded.UpdateParams();
    decoded.Table2DEnabled = false;
    decoded.Table3DEnabled = true;
    decoded.UpdateEEPROM();
    rig.setControllerImage(decoded.imageBytes());
    int charts = 0;
    rig.ctx.chartSetup3D = [&] { ++charts; };
    rig.state.setTableMenus(false);
    QCOMPARE(rig.link->download(), TransferOutcome::Completed);
    QVERIFY(rig.image.Table3DEnabled);
    QCOMPARE(charts, 1);
    QVERIFY(rig.state.menus().editTimingTable && rig.state.menus().saveTbl &&
            rig.state.menus().closeTbl && rig.state.menus().newTable);

    // The same with no table in use: only New Timing Table.
    LinkRig plain;
    decoded.Table3DEnabled = false;
    decoded.UpdateEEPROM();
    plain.setControllerImage(decoded.imageBytes());
    plain.state.setTableMenus(true);
    QCOMPARE(plain.link->download(), TransferOutcome::Completed);
    QVERIFY(plain.state.menus().newTable && !plain.state.menus().closeTbl &&
            !plain.state.menus().editTimingTable && !plain.state.menus().saveTbl);
}

void WorkflowsTest::escapeDuringDownload() {
    LinkRig rig;
    rig.clock->onUserPass = [&] {
        if (rig.port->controller.pointer() == 60) rig.state.AbortRequested = true;
    };
    QCOMPARE(rig.link->download(), TransferOutcome::Failed);
    QCOMPARE(rig.ui.texts(), (QStringList{kId, "Download failed."}));
    QVERIFY(rig.image.BufferEmpty);
    QVERIFY(!rig.state.AbortRequested);
    QVERIFY(!rig.state.progressVisible());
    QVERIFY(!rig.port->isOpen());
    // Stopped at once: the last command sent is the read that Escape came after.
    QCOMPARE(rig.port->sent.back().byte, protocol::kReadByte);
    QCOMPARE(std::count_if(rig.port->sent.begin(), rig.port->sent.end(),
                           [](const auto& s) { return s.byte == protocol::kReadByte; }),
             60 - 16);
}

void WorkflowsTest::upload_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<int>("setup");  // 0 ready, 1 table open, 2 buffer empty
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("lastIcon");
    QTest::addColumn<bool>("programmed");
    QTest::addColumn<bool>("resetSent");
    QTest::addColumn<int>("last");

    const int excl = int(Icon::Exclamation);
    QTest::newRow("table open")
        << QStringList{} << 1
        << QStringList{"You must close or save any open table before uploading."} << excl << false
        << false << kNoTraffic;
    QTest::newRow("buffer empty") << QStringList{} << 2
                                  << QStringList{"No data available for uploading."} << excl
                                  << false << false << kNoTraffic;
    QTest::newRow("controller off") << QStringList{"--silent-from", "1"} << 0
                                    << QStringList{kNoLink} << excl << false << false << 0x33;
    QTest::newRow("engine running")
        << QStringList{"--status", "3"} << 0
        << QStringList{"Cannot upload while engine is running."} << excl << false << false << 0x2E;
    QTest::newRow("identification without CR")
        << QStringList{"--id-no-cr"} << 0
        << QStringList{kRs232, "Firmware ID read failed - cannot upload."} << excl << false << false
        << 0x10;
    QTest::newRow("empty identification")
        << QStringList{"--id", ""} << 0 << QStringList{"Invalid firmware ID - cannot upload."}
        << excl << false << false << 0x10;
    QTest::newRow("another unit") << QStringList{"--id", "XR-7"} << 0
                                  << QStringList{"Firmware ID: XR-7",
                                                 "Not a IGX-1 unit. Cannot upload data."}
                                  << int(Icon::None) << false << false << 0x10;
    QTest::newRow("write refused")
        << QStringList{"--write-refuse", "100"} << 0
        << QStringList{kId, "Upload aborted - EEPROM programming failed."} << int(Icon::Information)
        << false << false << kAnyLast;
    QTest::newRow("adapter pulled out")
        << QStringList{"--unplug-write", "120"} << 0
        << QStringList{kId, kRs232, "Upload aborted - EEPROM programming failed."}
        << int(Icon::Information) << false << false << kAnyLast;
    QTest::newRow("read-back differs")
        << QStringList{"--read-corrupt", "77"} << 0
        << QStringList{kId, "Upload aborted - EEPROM verification failed."}
        << int(Icon::Information) << true << false << 0x15;
    QTest::newRow("reset answered 0x00")
        << QStringList{"--reset-answer", "0"} << 0
        << QStringList{kId, "Upload aborted - Reset IGX-1 failed"} << excl << true << true << 0x3C;
    QTest::newRow("reset not answered")
        << QStringList{"--reset-silent"} << 0
        << QStringList{kId, kComPort, "Upload aborted - Reset IGX-1 failed"} << excl << true << true
        << 0x3C;
    QTest::newRow("completed") << QStringList{} << 0 << QStringList{kId, "Upload completed."}
                               << excl << true << true << 0x3C;
}

void WorkflowsTest::upload() {
    QFETCH(QStringList, sim);
    QFETCH(int, setup);
    QFETCH(QStringList, messages);
    QFETCH(int, lastIcon);
    QFETCH(bool, programmed);
    QFETCH(bool, resetSent);
    QFETCH(int, last);

    LinkRig rig(simOptions(args(sim)));
    const auto bytes = randomImage(31);
    if (setup != 2) {
        rig.image.setImageBytes(bytes);
        rig.image.UpdateParams();
        rig.image.BufferEmpty = false;
    }
    if (setup == 1) rig.state.setOpenTable(MainState::OpenTable::Table3D);
    rig.state.setTitleSuffix("tune.dat");
    const QString title = rig.state.title();

    const auto outcome = rig.link->upload();
    QCOMPARE(rig.ui.texts(), messages);
    QCOMPARE(outcome, messages.back() == "Upload completed." ? TransferOutcome::Completed
                                                             : TransferOutcome::Failed);
    for (const auto& box : rig.ui.shown())
        if (box.title != "Error") QCOMPARE(box.title, QString("Upload To EEPROM"));
    QCOMPARE(int(rig.ui.shown().back().icon), lastIcon);
    QCOMPARE(rig.controllerImage() == bytes, programmed);
    QCOMPARE(rig.port->controller.resets() > 0, resetSent);
    if (last != kAnyLast) QCOMPARE(lastSent(*rig.port), last);
    QVERIFY(!rig.port->isOpen());
    QCOMPARE(rig.state.title(), title);
    // A refused unit is set back; an empty identification leaves "Unknown" until the next one.
    if (QByteArray(QTest::currentDataTag()) != "empty identification")
        QCOMPARE(rig.state.UnitModel, QString("IGX-1"));
    QCOMPARE(rig.image.BufferEmpty, setup == 2);
    if (sim.contains("--read-corrupt")) {
        const QString expected =
            QString(
                "First difference at EEPROM address 77: expected 0x%1, read 0x%2 (1 bytes differ).")
                .arg(bytes[77 - 16], 2, 16, QChar('0'))
                .arg(bytes[77 - 16] ^ 0xFF, 2, 16, QChar('0'));
        QCOMPARE(rig.ui.details().join("|").toLower(), expected.toLower());
    }
}

void WorkflowsTest::escapeDuringUploadVerify() {
    LinkRig rig;
    rig.image.setImageBytes(randomImage(8));
    rig.image.UpdateParams();
    rig.image.BufferEmpty = false;
    bool pressed = false;
    rig.clock->onUserPass = [&] {
        if (!pressed && rig.state.progressCaption() == "Verifying EEPROM" &&
            rig.port->controller.pointer() == 200) {
            pressed = true;
            rig.state.AbortRequested = true;
        }
    };
    QCOMPARE(rig.link->upload(), TransferOutcome::Failed);
    QCOMPARE(rig.ui.texts(), (QStringList{kId, "Upload aborted - EEPROM verification failed."}));
    QCOMPARE(rig.ui.details(), QStringList{"Verification stopped at EEPROM address 199."});
    QCOMPARE(rig.port->controller.resets(), 0);
}

void WorkflowsTest::roundTripOfRandomImages() {
    for (uint32_t seed = 100; seed < 106; ++seed) {
        LinkRig rig;
        const auto original = randomImage(seed);
        rig.setControllerImage(original);
        QCOMPARE(rig.link->download(), TransferOutcome::Completed);
        QCOMPARE(rig.image.imageBytes(), original);
        // Wipe the controller, then put the decoded image back.
        rig.setControllerImage({});
        rig.ui.clear();
        QCOMPARE(rig.link->upload(), TransferOutcome::Completed);
        QCOMPARE(rig.controllerImage(), original);
    }
}

QTEST_GUILESS_MAIN(WorkflowsTest)
#include "workflows_test.moc"
