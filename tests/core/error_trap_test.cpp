#include "core/error_report.h"
#include "core/port_settings.h"
#include "core/scripted_interaction.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

class ErrorTrapTest : public QObject {
    Q_OBJECT
  private slots:
    void answersDecideWhatRunsNext_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QString>("trace");
        // The second statement fails twice, then succeeds.
        QTest::newRow("abort: closing steps once, nothing after")
            << QList<int>{int(Answer::Abort)} << "1 2! close";
        QTest::newRow("ignore: the next statement runs")
            << QList<int>{int(Answer::Ignore)} << "1 2! 3";
        QTest::newRow("retry: the failing statement again")
            << QList<int>{int(Answer::Retry), int(Answer::Retry)} << "1 2! 2! 2 3";
        QTest::newRow("retry then abort")
            << QList<int>{int(Answer::Retry), int(Answer::Abort)} << "1 2! 2! close";
    }
    void answersDecideWhatRunsNext() {
        QFETCH(QList<int>, answers);
        QFETCH(QString, trace);
        ScriptedInteraction ui;
        for (int a : answers) ui.answer(Answer(a));
        QStringList done;
        int failures = 0;
        Trap trap(ui, [&] { done << "close"; });
        trap.step([&] { done << "1"; });
        trap.step([&] {
            if (failures++ < 2) {
                done << "2!";
                raise(kCommError, "Comm Error", "RS-232 timeout. Check cable and click Abort.");
            }
            done << "2";
        });
        trap.step([&] { done << "3"; });
        QCOMPARE(done.join(' '), trace);
        QCOMPARE(trap.aborted(), trace.endsWith("close"));
    }

    // The window's start-up reads these; its own test follows the reports through.
    void storedPortSetting_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");  // -1: not a number
        QTest::addColumn<bool>("inList");
        QTest::newRow("blanks around") << " 3 " << 3 << true;
        QTest::newRow("255") << "255" << 255 << true;
        QTest::newRow("256 outside the list") << "256" << 256 << false;
        QTest::newRow("negative outside the list") << "-4" << -4 << false;
        QTest::newRow("half to even") << "2.5" << 2 << true;
        QTest::newRow("empty") << "" << -1 << false;
        QTest::newRow("beyond 16 bits") << "99999" << -1 << false;
    }
    void storedPortSetting() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QFETCH(bool, inList);
        if (port == -1) {
            QVERIFY_THROWS_EXCEPTION(RunError, PortSettings::parseCommPort(text));
            return;
        }
        QCOMPARE(PortSettings::parseCommPort(text), port);
        if (!inList) QVERIFY_THROWS_EXCEPTION(RunError, PortSettings::checkListPosition(port));
        if (inList) PortSettings::checkListPosition(port);
    }

    void portDevices() {
        QTemporaryDir dir;
        QSettings s(dir.filePath("s.ini"), QSettings::IniFormat);
        PortSettings ps(s);
        QCOMPARE(ps.deviceFor(12), QString("/dev/ttyS11"));
        ps.storeDevice(12, "/dev/ttyUSB0");
        QCOMPARE(ps.deviceFor(12), QString("/dev/ttyUSB0"));
        QCOMPARE(s.value("Ports/Com12").toString(), QString("/dev/ttyUSB0"));
        ps.storeDevice(12, "");
        QCOMPARE(ps.deviceFor(12), QString("/dev/ttyS11"));
    }
};

QTEST_APPLESS_MAIN(ErrorTrapTest)
#include "error_trap_test.moc"
