// The port on the machine's serial devices, with igx1-sim on a pseudo-terminal: one run
// of each workflow, the faults only a real port shows, the line settings and the
// driver's line-error counters.
#include "link/qt_serial_port.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "support/sim_process.h"

#include <QTest>

using namespace velo;
using namespace velo::test;

namespace {

const QString kRs232 = "RS-232 timeout. Check cable and click Abort.";
const QString kId = "Firmware ID: IGX-1 V2.1";
const QString kDownloaded = "Downloaded data to buffer. Ready for editing.";

// Counters as a table gives them: frame, parity, overrun, buffer overrun; none when empty.
std::optional<LineErrorCounts> counts(const QList<int>& c) {
    if (c.isEmpty()) return std::nullopt;
    return LineErrorCounts{c[0], c[1], c[2], c[3]};
}

// A pseudo-terminal takes any baud rate, so the settings are read back from the port; the
// modem lines only where the device has them.
void checkLineSettings(QtSerialPort& port) {
    port.open();
    QSerialPort& device = port.device();
    QCOMPARE((QList<int>{device.baudRate(), device.dataBits(), device.parity(), device.stopBits(),
                         device.flowControl()}),
             (QList<int>{56000, QSerialPort::Data8, QSerialPort::NoParity, QSerialPort::OneStop,
                         QSerialPort::NoFlowControl}));
    const auto lines = device.pinoutSignals();
    if (device.error() == QSerialPort::NoError) {
        QVERIFY(lines & QSerialPort::DataTerminalReadySignal);
        QVERIFY(!(lines & QSerialPort::RequestToSendSignal));
    }
    port.close();
}

}  // namespace

class QtSerialPortTest : public QObject {
    Q_OBJECT

  private slots:
    void downloadThenUploadAnotherImage() {
        QTemporaryDir dir;
        const ImageBytes first = randomImage(41);
        const ImageBytes second = randomImage(42);
        // Stale bytes from an earlier session wait in the line at the first open.
        SimProcess sim({"--image", writeFile(dir.filePath("in.dat"), bytesOf(first)), "--save",
                        dir.filePath("out.dat"), "--garbage", "40"});
        DeviceRig rig(sim.device());

        QCOMPARE(rig.link.download(), TransferOutcome::Completed);
        QCOMPARE(rig.ui.texts(), (QStringList{kId, kDownloaded}));
        QCOMPARE(rig.image.imageBytes(), first);
        QVERIFY(!rig.link.port().isOpen());

        rig.load(second);
        rig.ui.clear();
        QCOMPARE(rig.link.upload(), TransferOutcome::Completed);
        QCOMPARE(rig.ui.texts(), (QStringList{kId, "Upload completed."}));
        checkLineSettings(dynamic_cast<QtSerialPort&>(rig.link.port()));
        QCOMPARE(sim.stop(), 0);
        QCOMPARE(readFile(dir.filePath("out.dat")), bytesOf(second));
    }

    void pulledAdapter_data() {
        QTest::addColumn<bool>("upload");
        QTest::newRow("mid-read") << false;
        QTest::newRow("mid-program") << true;
    }

    void pulledAdapter() {
        QFETCH(bool, upload);
        SimProcess sim({upload ? "--unplug-write" : "--unplug-read", "140"});
        DeviceRig rig(sim.device());
        if (upload) rig.load(randomImage(3));
        QCOMPARE(upload ? rig.link.upload() : rig.link.download(), TransferOutcome::Failed);
        const QString last =
            upload ? "Upload aborted - EEPROM programming failed." : "Download failed.";
        // One report, not one per remaining byte, and it says why.
        QCOMPARE(rig.ui.texts(), (QStringList{kId, kRs232, last}));
        QCOMPARE(rig.ui.details().size(), 1);
        QVERIFY(rig.ui.details().front().contains("stopped working"));
        QVERIFY(!rig.link.port().isOpen());
        QVERIFY(!rig.state.progressVisible());
        QCOMPARE(rig.image.BufferEmpty, !upload);
        QCOMPARE(sim.stop(), 3);
    }
    void lineErrorCounters_data() {
        QTest::addColumn<QList<int>>("atOpen");
        QTest::addColumn<QList<int>>("later");
        QTest::addColumn<QList<int>>("events");
        using L = QList<int>;
        auto row = [](const char* tag, const L& atOpen, const L& later, const L& events) {
            QTest::newRow(tag) << atOpen << later << events;
        };
        const L zero{0, 0, 0, 0};
        row("frame by three at once", {5, 2, 2, 2}, {8, 2, 2, 2}, {kCommFraming});
        // Each counter grows in its own set of rows, so none can stand in for another.
        row("parity and buffer overrun", zero, {0, 1, 0, 1}, {kCommParity, kCommRxOverflow});
        row("overrun and buffer overrun", zero, {0, 0, 1, 1}, {kCommOverrun, kCommRxOverflow});
        row("all four", zero, {1, 1, 1, 1},
            {kCommFraming, kCommParity, kCommOverrun, kCommRxOverflow});
        row("no counters at open", {}, {1, 1, 1, 1}, {});
        row("counters gone later", zero, {}, {});
    }

    void lineErrorCounters() {
        QFETCH(QList<int>, atOpen);
        QFETCH(QList<int>, later);
        QFETCH(QList<int>, events);
        int reads = 0;
        LineErrorWatch watch([&] { return counts(reads++ == 0 ? atOpen : later); });
        watch.start();
        const auto first = watch.check();
        QCOMPARE(QList<int>(first.begin(), first.end()), events);
        // One event per growth: the same counts again raise nothing.
        QVERIFY(watch.check().empty());
    }

    // The counters as the port reads them after bytes came in, through to the link.
    void countersReachTheLink() {
        SimProcess sim;
        int reads = 0;
        // The framing counter moves once, between the baseline and the first answer.
        auto port = std::make_unique<QtSerialPort>(
            [&](int) { return sim.device(); },
            [&](int) {
                return LineErrorCounts{reads++ == 0 ? 0 : 1, 0, 0, 0};
            });
        ModelRig rig;
        ControllerLink link(rig.ctx, std::move(port));
        // One more error while the box is up is counted, not shown as another box.
        rig.ui.onShow = [&](const ScriptedInteraction::Shown&) { link.port().onComm(kCommParity); };
        rig.ui.answer(Answer::Retry);
        link.ReSync();
        link.ReadStatus();
        QVERIFY(link.LinkOK);  // the commands go on with their own waits
        QCOMPARE(rig.ui.texts(), QStringList{"Framing error."});
        QCOMPARE(rig.state.CommErrorCount, 2);
        QVERIFY(reads > 2);
    }

    // A controller on an adapter, named by VELO_TEST_DEVICE; only read from.
    void realDevice() {
        const QString name = qEnvironmentVariable("VELO_TEST_DEVICE");
        if (name.isEmpty()) QSKIP("VELO_TEST_DEVICE names no serial device");
        DeviceRig rig(name);
        QCOMPARE(rig.link.download(), TransferOutcome::Completed);
        checkLineSettings(dynamic_cast<QtSerialPort&>(rig.link.port()));
    }
};

QTEST_GUILESS_MAIN(QtSerialPortTest)
#include "qt_serial_port_test.moc"
