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
        const QList<int> zero{0, 0, 0, 0};
        QTest::newRow("unchanged") << zero << zero << QList<int>{};
        QTest::newRow("frame") << zero << QList<int>{1, 0, 0, 0} << QList<int>{kCommFraming};
        QTest::newRow("parity") << zero << QList<int>{0, 1, 0, 0} << QList<int>{kCommParity};
        QTest::newRow("overrun") << zero << QList<int>{0, 0, 1, 0} << QList<int>{kCommOverrun};
        QTest::newRow("buffer overrun")
            << zero << QList<int>{0, 0, 0, 1} << QList<int>{kCommRxOverflow};
        QTest::newRow("frame by three at once")
            << QList<int>{5, 2, 2, 2} << QList<int>{8, 2, 2, 2} << QList<int>{kCommFraming};
        QTest::newRow("all four") << zero << QList<int>{1, 1, 1, 1}
                                  << QList<int>{kCommFraming, kCommParity, kCommOverrun,
                                                kCommRxOverflow};
        QTest::newRow("no counters at open")
            << QList<int>{} << QList<int>{1, 1, 1, 1} << QList<int>{};
        QTest::newRow("counters gone later") << zero << QList<int>{} << QList<int>{};
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
