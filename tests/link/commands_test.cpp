// The single commands, the EEPROM runs and the line-error handler, on the fake port.
#include "core/run_error.h"
#include "support/fake_link.h"

#include <QElapsedTimer>
#include <QTest>

using namespace velo;
using namespace velo::test;

namespace {

const QString kRs232 = "RS-232 timeout. Check cable and click Abort.";

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

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

  private slots:
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
        row("status, no answer", silent, "status", "2E", false, false, "full", kRs232);
        row("identification, no answer", silent, "id", "10", false, false, "yielding", kRs232);
        row("address, no answer", silent, "address 16", "14 p2 10 p2 00", false, false, "full",
            kRs232);
        row("read byte, no answer", silent, "read", "15", false, false, "full", kRs232);
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
        if (openFails) reports << kRs232;  // Ignore goes on, and finds no answer
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
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "commands_test.moc"
