#include "link/port_finder.h"

#include "core/error_report.h"
#include "support/fake_link.h"

#include <QtTest>

using namespace velo;

namespace {
// The test's clock, lent to the probe so that it can be read once the probe is done.
struct LentClock : LinkTiming {
    explicit LentClock(test::FakeClock& clock) : c(clock) {}
    test::FakeClock& c;
    double seconds() override { return c.seconds(); }
    void letMessagesRun(bool user) override { c.letMessagesRun(user); }
    void pause(int micros) override { c.pause(micros); }
};
}  // namespace

class PortFinderTest : public QObject {
    Q_OBJECT
  private slots:
    // The probe is the identification command itself, silent, and never waits past 1 s.
    void probeAsksForTheIdentification_data() {
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<bool>("openFails");
        QTest::addColumn<QString>("firmware");  // "-": no answer
        QTest::addColumn<bool>("igx");
        QTest::addColumn<double>("seconds");
        // clang-format off
        QTest::newRow("IGX-1")       << QStringList{} << false << "IGX-1 V2.1" << true << 0.01;
        QTest::newRow("other unit")  << QStringList{"--id", "igx-2"} << false << "igx-2" << false << 0.01;
        QTest::newRow("silent")      << QStringList{"--silent-from", "1"} << false << "-" << false << 1.01;
        QTest::newRow("cannot open") << QStringList{} << true << "-" << false << 0.0;
        // clang-format on
    }
    void probeAsksForTheIdentification() {
        QFETCH(QStringList, sim);
        QFETCH(bool, openFails);
        QFETCH(QString, firmware);
        QFETCH(bool, igx);
        QFETCH(double, seconds);
        std::vector<std::string> args;
        for (const QString& a : sim) args.push_back(a.toStdString());
        test::FakeClock clock;
        const double start = clock.now;
        auto port = std::make_unique<test::FakePort>(clock, *igx1sim::parseArgs(args).options);
        port->openFails = openFails;
        const ProbeAnswer a = probeController(std::move(port), std::make_unique<LentClock>(clock));
        QCOMPARE(a.firmware.value_or("-"), firmware);
        QCOMPARE(a.igx, igx);
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

QTEST_GUILESS_MAIN(PortFinderTest)
#include "port_finder_test.moc"
