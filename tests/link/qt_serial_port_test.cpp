// The port on the machine's serial devices: the line-error counters of the driver, and
// the line settings it gives a device (igx1-sim's pseudo-terminal).
#include "link/qt_serial_port.h"
#include "support/sim_process.h"

#include <QTest>

using namespace velo;
using namespace velo::test;

namespace {

// Counters as a table gives them: frame, parity, overrun, buffer overrun; none when empty.
std::optional<LineErrorCounts> counts(const QList<int>& c) {
    if (c.isEmpty()) return std::nullopt;
    return LineErrorCounts{c[0], c[1], c[2], c[3]};
}

}  // namespace

class QtSerialPortTest : public QObject {
    Q_OBJECT

  private slots:
    void lineErrorCounters_data() {
        QTest::addColumn<QList<int>>("atOpen");
        QTest::addColumn<QList<int>>("later");
        QTest::addColumn<QList<int>>("events");
        using L = QList<int>;
        auto row = [](const char* tag, const L& atOpen, const L& later, const L& events) {
            QTest::newRow(tag) << atOpen << later << events;
        };
        const L zero{0, 0, 0, 0};
        row("unchanged", zero, zero, {});
        row("frame", zero, {1, 0, 0, 0}, {kCommFraming});
        row("parity", zero, {0, 1, 0, 0}, {kCommParity});
        row("overrun", zero, {0, 0, 1, 0}, {kCommOverrun});
        row("buffer overrun", zero, {0, 0, 0, 1}, {kCommRxOverflow});
        row("frame by three at once", {5, 2, 2, 2}, {8, 2, 2, 2}, {kCommFraming});
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
        QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
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

    // A pseudo-terminal takes any baud rate, so the settings are read back from the port;
    // the modem lines only where the device has them. VELO_TEST_DEVICE names a real one
    // (a controller on an adapter), which is only read from.
    void lineSettings_data() {
        QTest::addColumn<bool>("real");
        QTest::newRow("igx1-sim") << false;
        QTest::newRow("VELO_TEST_DEVICE") << true;
    }

    void lineSettings() {
        QFETCH(bool, real);
        if (real && qEnvironmentVariableIsEmpty("VELO_TEST_DEVICE"))
            QSKIP("VELO_TEST_DEVICE names no serial device");
        std::optional<SimProcess> sim;
        if (!real) sim.emplace();
        const QString name = real ? qEnvironmentVariable("VELO_TEST_DEVICE") : sim->device();
        if (!real) QVERIFY2(!name.isEmpty(), qPrintable(sim->error()));
        QtSerialPort port([&](int) { return name; });
        port.open();
        QSerialPort& device = port.device();
        QCOMPARE(device.baudRate(), 56000);
        QCOMPARE(device.dataBits(), QSerialPort::Data8);
        QCOMPARE(device.parity(), QSerialPort::NoParity);
        QCOMPARE(device.stopBits(), QSerialPort::OneStop);
        QCOMPARE(device.flowControl(), QSerialPort::NoFlowControl);
        const auto lines = device.pinoutSignals();
        if (device.error() == QSerialPort::NoError) {
            QVERIFY(lines & QSerialPort::DataTerminalReadySignal);
            QVERIFY(!(lines & QSerialPort::RequestToSendSignal));
        }
        port.close();
        DeviceRig rig(name);
        QCOMPARE(rig.link.download(), TransferOutcome::Completed);
    }
};

QTEST_GUILESS_MAIN(QtSerialPortTest)
#include "qt_serial_port_test.moc"
