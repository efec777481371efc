// The single commands, the EEPROM runs and the line-error handler, on the fake port.
#include "app/run_error.h"
#include "link/protocol.h"
#include "support/fake_link.h"

#include <QElapsedTimer>
#include <QTest>

using namespace velo;
using namespace velo::test;

namespace {

using Bytes = std::vector<uint8_t>;

const QString kRs232 = "RS-232 timeout. Check cable and click Abort.";
const QString kComPort = "COM port timeout. Check cable and click Abort.";

// Gaps between consecutive sent bytes, in milliseconds.
std::vector<double> sendGaps(const FakePort& port, size_t from = 0) {
    std::vector<double> gaps;
    for (size_t i = from + 1; i < port.sent.size(); ++i)
        gaps.push_back((port.sent[i].time - port.sent[i - 1].time) * 1000);
    return gaps;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void delayTimerOnTheRealClock();
    void delayTimerOverflowGoesToTheCallersTrap();
    void resync_data();
    void resync();
    void timeouts_data();
    void timeouts();
    void retryShowsTheSameReportAgain();
    void firmwareId_data();
    void firmwareId();
    void wireBytesAndPauses();
    void setAddressRefused();
    void reset_data();
    void reset();
    void portThatCannotOpen();
    void readRun();
    void programAndVerify();
    void verifyCountsDifferences();
    void escapeDuringProgrammingStopsTheVerify();
    void lineErrors_data();
    void lineErrors();
    void lineErrorsComeOneBoxAtATime();
};

void CommandsTest::delayTimerOnTheRealClock() {
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx{image, state, ui};
    FakeClock unused;
    ControllerLink link(ctx, std::make_unique<FakePort>(unused));
    for (int ms : {2, 5}) {
        QElapsedTimer t;
        t.start();
        link.DelayTimer(ms);
        const double took = t.nsecsElapsed() / 1e6;
        // Never short; the upper bound only catches a wait that sleeps in whole ticks.
        QVERIFY2(took >= ms && took < ms + 50, qPrintable(QString::number(took)));
    }
}

void CommandsTest::delayTimerOverflowGoesToTheCallersTrap() {
    LinkRig rig;
    try {
        rig.link->DelayTimer(2147484);
        QFAIL("no overflow raised");
    } catch (const RunError& e) {
        QCOMPARE(e.number, kOverflowError);
    }
}

void CommandsTest::resync_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("atLeastSeconds");
    QTest::newRow("answers 0x06") << QStringList{} << true << 0.0;
    QTest::newRow("no controller") << QStringList{"--silent-from", "1"} << false << 1.0;
    QTest::newRow("answers 0x15") << QStringList{"--resync-answer", "0x15"} << false << 0.0;
}

void CommandsTest::resync() {
    QFETCH(QStringList, sim);
    QFETCH(bool, ok);
    QFETCH(double, atLeastSeconds);
    std::vector<std::string> args;
    for (const auto& a : sim) args.push_back(a.toStdString());
    LinkRig rig(simOptions(args));
    const double start = rig.clock->now;
    rig.link->ReSync();
    const double took = rig.clock->now - start;
    QCOMPARE(rig.link->LinkOK, ok);
    QVERIFY(rig.ui.shown().isEmpty());
    QVERIFY(rig.port->isOpen());
    QCOMPARE(rig.port->sentBytes(), Bytes{protocol::kResync});
    QVERIFY(took >= atLeastSeconds);
    QVERIFY(took < atLeastSeconds + 0.01);
    // The wait does not let user input in.
    QCOMPARE(rig.clock->userPasses > 0, atLeastSeconds == 0.0);  // only the pause after an answer
}

void CommandsTest::timeouts_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("yields");
    QTest::newRow("status") << 0 << kRs232 << false;
    QTest::newRow("identification") << 1 << kRs232 << true;
    QTest::newRow("set address") << 2 << kRs232 << false;
    QTest::newRow("read byte") << 3 << kRs232 << false;
    QTest::newRow("reset") << 4 << kComPort << false;
}

void CommandsTest::timeouts() {
    QFETCH(int, command);
    QFETCH(QString, text);
    QFETCH(bool, yields);
    LinkRig rig(simOptions({"--silent-from", "1"}));
    ControllerLink& link = *rig.link;
    const double start = rig.clock->now;
    int passesBeforeWait = 0;
    rig.ui.onShow = [&](const ScriptedInteraction::Shown&) {
        passesBeforeWait = rig.clock->userPasses;
        // The port is closed before the report comes up.
        QVERIFY(!rig.port->isOpen());
    };
    switch (command) {
        case 0:
            QCOMPARE(link.ReadStatus(), 0);
            break;
        case 1:
            link.ReadFirmwareID();
            break;
        case 2:
            link.SetEEPROMAddress(16);
            break;
        case 3:
            QCOMPARE(link.ReadEEPROM(), uint8_t(0));
            break;
        case 4:
            link.ResetController();
            break;
    }
    QVERIFY(!link.LinkOK);
    QVERIFY(!rig.port->isOpen());
    QCOMPARE(rig.ui.shown().size(), 1);
    const auto& box = rig.ui.shown().front();
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttons, Buttons::AbortRetryIgnore);
    QCOMPARE(box.icon, Icon::Critical);
    QVERIFY(rig.clock->now - start >= 1.0);
    // Only the yielding waits let the user in; the pauses between sent bytes do anyway.
    const int pausePasses = command == 2 || command == 4 ? 1 : 0;
    QCOMPARE(passesBeforeWait > 1000, yields);
    if (!yields) QVERIFY(passesBeforeWait <= pausePasses * 200);
}

void CommandsTest::retryShowsTheSameReportAgain() {
    LinkRig rig(simOptions({"--silent-from", "1"}));
    rig.ui.answer(Answer::Retry);
    rig.ui.answer(Answer::Retry);
    rig.ui.answer(Answer::Ignore);
    rig.link->ReadStatus();
    QCOMPARE(rig.ui.texts(), QStringList(3, kRs232));
    QVERIFY(!rig.link->LinkOK);
    // Nothing more is sent while the report repeats.
    QCOMPARE(rig.port->sentBytes(), Bytes{protocol::kReadStatus});
}

void CommandsTest::firmwareId_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("firmwareId");
    QTest::addColumn<QString>("unitModel");
    QTest::newRow("exact") << "IGX-1" << true << "IGX-1"
                           << "IGX-1";
    QTest::newRow("lower case") << "igx-1" << true << "igx-1"
                                << "IGX-1";
    QTest::newRow("with version") << "Orvane IGX-1 V2.1" << true << "Orvane IGX-1 V2.1"
                                  << "IGX-1";
    QTest::newRow("a piece of it") << "IGX-" << true << "IGX-"
                                   << "Unknown";
    QTest::newRow("another unit") << "IGX-2" << true << "IGX-2"
                                  << "Unknown";
    QTest::newRow("only the CR") << "" << true << ""
                                 << "Unknown";
    QTest::newRow("8-bit text") << "IGX-1 \\xB0C" << true << "IGX-1 \u00B0C"
                                << "IGX-1";
}

void CommandsTest::firmwareId() {
    QFETCH(QString, reply);
    QFETCH(bool, ok);
    QFETCH(QString, firmwareId);
    QFETCH(QString, unitModel);
    LinkRig rig(simOptions({"--id", reply.toStdString()}));
    rig.link->ReadFirmwareID();
    QCOMPARE(rig.link->LinkOK, ok);
    QCOMPARE(rig.state.FirmwareID, firmwareId);
    QCOMPARE(rig.state.UnitModel, unitModel);
    QVERIFY(!rig.port->isOpen());
    QVERIFY(rig.ui.shown().isEmpty());
}

void CommandsTest::wireBytesAndPauses() {
    LinkRig rig;
    ControllerLink& link = *rig.link;
    link.SetEEPROMAddress(16);
    QVERIFY(link.LinkOK);
    QCOMPARE(rig.port->sentBytes(), (Bytes{0x14, 0x10, 0x00}));
    for (double gap : sendGaps(*rig.port)) QVERIFY(gap >= 2.0 && gap < 2.2);
    QCOMPARE(rig.port->controller.pointer(), 16);

    // Read one byte: the pointer moves on; the 2 ms after the answer comes before the next byte.
    rig.port->controller.eeprom()[16] = 0xA7;
    rig.port->controller.eeprom()[17] = 0x00;
    QCOMPARE(link.ReadEEPROM(), uint8_t(0xA7));
    QCOMPARE(link.ReadEEPROM(), uint8_t(0x00));
    QVERIFY(link.LinkOK);
    const double gap = (rig.port->sent.back().time - rig.port->arrivals.at(1)) * 1000;
    QVERIFY(gap >= 2.0 && gap < 2.2);

    link.ReadStatus();
    QVERIFY(link.LinkOK);
    QVERIFY(rig.port->isOpen());  // status leaves the port open, identification closes it
    link.ReadFirmwareID();
    QVERIFY(!rig.port->isOpen());
}

void CommandsTest::setAddressRefused() {
    LinkRig rig(simOptions({"--addr-answer", "0x15"}));
    rig.link->SetEEPROMAddress(16);
    const double answered = rig.port->arrivals.back();
    QVERIFY(!rig.link->LinkOK);
    QVERIFY(rig.ui.shown().isEmpty());
    QVERIFY(rig.port->isOpen());
    QVERIFY(rig.clock->now - answered < 0.001);  // no pause
}

void CommandsTest::reset_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("reports");
    QTest::newRow("0x06 only") << QStringList{} << true << 0;
    QTest::newRow("0x00") << QStringList{"--reset-answer", "0x00"} << false << 0;
    QTest::newRow("two bytes") << QStringList{"--reset-answer", "0x06,0x00"} << true << 0;
    QTest::newRow("nothing") << QStringList{"--reset-silent"} << false << 1;
}

void CommandsTest::reset() {
    QFETCH(QStringList, sim);
    QFETCH(bool, ok);
    QFETCH(int, reports);
    std::vector<std::string> args;
    for (const auto& a : sim) args.push_back(a.toStdString());
    LinkRig rig(simOptions(args));
    const double start = rig.clock->now;
    rig.link->ResetController();
    QCOMPARE(rig.link->LinkOK, ok);
    QCOMPARE(rig.ui.shown().size(), reports);
    if (reports) QCOMPARE(rig.ui.texts().front(), kComPort);
    QVERIFY(!rig.port->isOpen());
    const auto& key = protocol::kResetKey;
    const Bytes expected{protocol::kReset, key[0], key[1], key[2], key[3]};
    QCOMPARE(rig.port->sentBytes(), expected);
    const auto gaps = sendGaps(*rig.port);
    for (double gap : gaps) QVERIFY(gap >= 2.0 && gap < 2.2);
    QCOMPARE(rig.port->controller.resets(), 1);
    // One byte back is not enough to end the wait early; two are.
    const double took = rig.clock->now - start;
    if (sim.contains("0x06,0x00"))
        QVERIFY(took < 0.05);
    else
        QVERIFY(took > 1.0);
}

void CommandsTest::portThatCannotOpen() {
    LinkRig rig;
    rig.port->openFails = true;
    rig.link->ReadStatus();
    QVERIFY(!rig.link->LinkOK);
    QCOMPARE(rig.ui.shown().size(), 1);
    QCOMPARE(rig.ui.shown().front().title, QString("Error"));
    QVERIFY(rig.ui.texts().front().startsWith("Cannot open Com1"));
    QVERIFY(rig.port->sent.empty());
}

void CommandsTest::readRun() {
    LinkRig rig;
    const auto bytes = randomImage(7);
    rig.setControllerImage(bytes);
    rig.image.DataBuffer.fill(0x55);
    QList<int> values;
    QStringList captions;
    QObject::connect(&rig.state, &MainState::progressChanged, [&] {
        if (!rig.state.progressVisible()) return;
        if (values.isEmpty() || values.back() != rig.state.progressValue())
            values << rig.state.progressValue();
        if (!captions.contains(rig.state.progressCaption()))
            captions << rig.state.progressCaption();
    });
    rig.link->ReadEEPROMData();
    QVERIFY(rig.link->LinkOK);
    QCOMPARE(rig.image.imageBytes(), bytes);
    for (int a = 0; a < 16; ++a) QCOMPARE(rig.image.DataBuffer[a], uint8_t(0));
    QVERIFY(!rig.image.BufferEmpty);
    QVERIFY(!rig.state.progressVisible());
    QVERIFY(!rig.port->isOpen());
    QCOMPARE(captions, QStringList{"Reading EEPROM"});
    QCOMPARE(values.front(), 0);
    QCOMPARE(values.at(1), 6);  // address 16
    QCOMPARE(values.back(), 100);
    QVERIFY(std::is_sorted(values.begin(), values.end()));
    // 7 ms of pauses per byte plus two line times; a run near the floor takes under 2 s.
    QVERIFY(rig.port->sent.size() == 3 + 264);
}

void CommandsTest::programAndVerify() {
    LinkRig rig;
    const auto bytes = randomImage(11);
    rig.image.setImageBytes(bytes);
    QStringList captions;
    QObject::connect(&rig.state, &MainState::progressChanged, [&] {
        if (rig.state.progressVisible() && !captions.contains(rig.state.progressCaption()))
            captions << rig.state.progressCaption();
    });
    rig.link->WriteEEPROMData();
    QVERIFY(rig.link->LinkOK);
    QCOMPARE(rig.link->VerifyErrors, 0);
    QCOMPARE(rig.controllerImage(), bytes);
    QCOMPARE(captions, (QStringList{"Programming EEPROM", "Verifying EEPROM"}));
    QVERIFY(!rig.port->isOpen());
    QVERIFY(!rig.state.progressVisible());
    // Each written byte: 0x16, 2 ms, data; the answer is awaited with messages running.
    QCOMPARE(rig.port->sent.at(3).byte, protocol::kWriteByte);
    QCOMPARE(rig.port->sent.at(4).byte, bytes[0]);
    QVERIFY(rig.port->sent.at(4).time - rig.port->sent.at(3).time >= 0.002);
}

void CommandsTest::verifyCountsDifferences() {
    LinkRig rig(simOptions({"--read-corrupt", "100", "--read-corrupt", "200"}));
    rig.image.setImageBytes(randomImage(5));
    rig.link->WriteEEPROMData();
    QVERIFY(rig.link->LinkOK);
    QCOMPARE(rig.link->VerifyErrors, 2);
    QCOMPARE(rig.link->firstMismatch.address, 100);
    QCOMPARE(rig.link->firstMismatch.expected, rig.image.DataBuffer[100]);
    QCOMPARE(rig.link->firstMismatch.read, uint8_t(rig.image.DataBuffer[100] ^ 0xFF));
}

void CommandsTest::escapeDuringProgrammingStopsTheVerify() {
    LinkRig rig;
    rig.image.setImageBytes(randomImage(9));
    bool pressed = false;
    rig.clock->onUserPass = [&] {
        if (!pressed && rig.port->controller.pointer() == 30) {
            pressed = true;
            rig.state.AbortRequested = true;
        }
    };
    rig.link->WriteEEPROMData();
    QVERIFY(rig.link->LinkOK);  // programming itself went through
    QCOMPARE(rig.controllerImage(), rig.image.imageBytes());
    QCOMPARE(rig.link->VerifyErrors, 1);
    QCOMPARE(rig.link->firstMismatch.stoppedAt, 16);
    QVERIFY(!rig.state.AbortRequested);
}

void CommandsTest::lineErrors_data() {
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

void CommandsTest::lineErrors() {
    QFETCH(int, code);
    QFETCH(QString, text);
    LinkRig rig;
    rig.link->ReSync();
    QVERIFY(rig.port->isOpen());
    QList<bool> openWhileShown;
    rig.ui.onShow = [&](const ScriptedInteraction::Shown& s) {
        QCOMPARE(s.title, QString("Communications Error"));
        QCOMPARE(s.buttons, Buttons::RetryCancel);
        QCOMPARE(s.icon, Icon::Critical);
        openWhileShown << rig.port->isOpen();
    };
    rig.ui.answer(Answer::Retry);
    rig.ui.answer(Answer::Retry);
    rig.ui.answer(Answer::Retry);
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
    LinkRig other;
    other.link->ReSync();
    other.ui.answer(Answer::Cancel);
    other.port->onComm(code);
    QVERIFY(!other.port->isOpen());
}

void CommandsTest::lineErrorsComeOneBoxAtATime() {
    // A framing error while a download's write waits: the box comes up inside the wait,
    // the command then goes on with its own wait.
    LinkRig rig;
    rig.image.setImageBytes(randomImage(2));
    rig.port->commAfterSent[40] = 1004;
    rig.ui.onShow = [&](const ScriptedInteraction::Shown&) { rig.port->onComm(1004); };
    rig.ui.answer(Answer::Retry);
    rig.link->WriteEEPROMData();
    QCOMPARE(rig.ui.texts(), QStringList{"Framing error."});
    QCOMPARE(rig.state.CommErrorCount, 2);
    QVERIFY(rig.link->LinkOK);
    QCOMPARE(rig.link->VerifyErrors, 0);
}

QTEST_GUILESS_MAIN(CommandsTest)
#include "commands_test.moc"
