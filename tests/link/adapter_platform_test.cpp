// USB serial adapters: the chip from its IDs, the latency timer read and the low-latency
// request through the platform seam, the warning it leads to, and why a port failed
// (also as Windows reports it).
#include "link/adapter_platform.h"
#include "link/port_finder.h"
#include "link/qt_serial_port.h"
#include "link/win32_port_errors.h"
#include "support/sim_process.h"
#include "usb_adapter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velo;
using namespace velo::test;

namespace {

const QString kWarning16 =
    "The adapter on %1 waits 16 ms before passing on each answer; a download takes about 5 s "
    "instead of 2 s. A udev rule can set it to 1 ms: see the guide.";

// The system side as a test wants it: a timer value, and a count of the requests.
class FakePlatform : public AdapterPlatform {
  public:
    std::optional<int> latency;
    QList<intptr_t> asked;
    bool askLowLatency(intptr_t handle) override {
        asked << handle;
        return false;
    }
    std::optional<int> latencyTimerMs(const QString&) const override { return latency; }
    QString driverName(const QString&) const override { return {}; }
    QString lowLatencyAdvice() const override { return {}; }
};

void writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

class AdapterPlatformTest : public QObject {
    Q_OBJECT

  private slots:
    void chipFromUsbIds_data() {
        QTest::addColumn<int>("vendor");  // -1: not on USB
        QTest::addColumn<int>("product");
        QTest::addColumn<QString>("chip");
        QTest::newRow("FT232R") << 0x0403 << 0x6001 << "FTDI";
        QTest::newRow("FT231X") << 0x0403 << 0x6015 << "FTDI";
        QTest::newRow("CP2102") << 0x10c4 << 0xea60 << "Silicon Labs CP210x";
        QTest::newRow("CH340") << 0x1a86 << 0x7523 << "WCH CH340/CH341";
        QTest::newRow("CH341") << 0x1a86 << 0x5523 << "WCH CH340/CH341";
        QTest::newRow("PL2303") << 0x067b << 0x2303 << "Prolific PL2303";
        QTest::newRow("FTDI, another product") << 0x0403 << 0x6002 << "other";
        QTest::newRow("CP210x's product, another vendor") << 0x1234 << 0xea60 << "other";
        QTest::newRow("built-in port") << -1 << 0 << "";
    }
    void chipFromUsbIds() {
        QFETCH(int, vendor);
        QFETCH(int, product);
        const auto v = vendor < 0 ? std::nullopt : std::optional<uint16_t>(uint16_t(vendor));
        QTEST(adapterChip(v, uint16_t(product)), "chip");
    }

    // The files the ftdi_sio driver shows, under a fake sysfs root.
    void linuxTimerAndDriver_data() {
        QTest::addColumn<QByteArray>("timerFile");  // empty: no such file
        QTest::addColumn<int>("latency");           // -1: none
        QTest::addColumn<QString>("driver");
        QTest::newRow("ftdi at 16 ms") << QByteArray("16\n") << 16 << "ftdi_sio";
        QTest::newRow("ftdi at 1 ms, no newline") << QByteArray("1") << 1 << "ftdi_sio";
        QTest::newRow("cp210x keeps no timer") << QByteArray() << -1 << "cp210x";
        QTest::newRow("unreadable value") << QByteArray("x\n") << -1 << "";
    }
    void linuxTimerAndDriver() {
        QFETCH(QByteArray, timerFile);
        QFETCH(QString, driver);
        QTemporaryDir root;
        if (!timerFile.isEmpty())
            writeText(root.filePath("bus/usb-serial/devices/ttyUSB3/latency_timer"), timerFile);
        QDir().mkpath(root.filePath("class/tty/ttyUSB3/device"));
        if (!driver.isEmpty())
            QFile::link(root.filePath("bus/usb-serial/drivers/" + driver),
                        root.filePath("class/tty/ttyUSB3/device/driver"));
        // The stable name leads to the same files as the device.
        writeText(root.filePath("dev/ttyUSB3"), {});
        QFile::link(root.filePath("dev/ttyUSB3"), root.filePath("dev/usb-FTDI_A10K-if00-port0"));
        const auto platform = makeLinuxAdapterPlatform(root.path());
        for (const QString& device :
             QStringList{"/dev/ttyUSB3", root.filePath("dev/usb-FTDI_A10K-if00-port0")}) {
            QTEST(platform->latencyTimerMs(device).value_or(-1), "latency");
            QCOMPARE(platform->driverName(device), driver);
        }
    }

    // At open the port asks for low latency on its own handle, then reads the timer; the
    // link says the timer's cost once a run, and only above 2 ms. On a pseudo-terminal the
    // real request fails without a word.
    void slowAdapterSaidOnce_data() {
        QTest::addColumn<int>("latency");  // -1: none shown
        QTest::addColumn<bool>("warned");
        QTest::newRow("16 ms") << 16 << true;
        QTest::newRow("2 ms") << 2 << false;
        QTest::newRow("no timer") << -1 << false;
    }
    void slowAdapterSaidOnce() {
        QFETCH(int, latency);
        QFETCH(bool, warned);
        SimProcess sim;
        FakePlatform platform;
        if (latency >= 0) platform.latency = latency;
        ModelRig rig;
        auto port = std::make_unique<QtSerialPort>([&](int) { return sim.device(); },
                                                   driverLineErrorCounts, platform);
        QtSerialPort* raw = port.get();
        ControllerLink link(rig.ctx, std::move(port));
        for (int i = 0; i < 2; ++i) {
            link.ReSync();
            QVERIFY(link.LinkOK);
            link.closePort();
        }
        QCOMPARE(rig.heard.notices,
                 warned ? QStringList{kWarning16.arg(sim.device())} : QStringList{});
        QCOMPARE(platform.asked.size(), 2);
        QVERIFY(platform.asked.front() >= 0);
        raw->open();
        QVERIFY(!systemAdapterPlatform().askLowLatency(intptr_t(raw->device().handle())));
    }

    // An answer waits in the adapter until the timer that its packet's first byte started
    // runs out; a 1 ms USB frame at the least.
    void adapterHoldsAnswers_data() {
        QTest::addColumn<int>("latency");
        QTest::addColumn<QList<double>>("arrivals");  // ms
        QTest::addColumn<QList<double>>("released");
        using L = QList<double>;
        QTest::newRow("no adapter") << 0 << L{1, 1.2} << L{1, 1.2};
        QTest::newRow("16 ms, one packet") << 16 << L{1, 1.2, 16.9} << L{17, 17, 17};
        QTest::newRow("16 ms, next packet") << 16 << L{1, 17.5} << L{17, 33.5};
        QTest::newRow("1 ms") << 1 << L{0, 0.5, 1.5} << L{1, 1, 2.5};
    }
    void adapterHoldsAnswers() {
        QFETCH(int, latency);
        QFETCH(QList<double>, arrivals);
        QFETCH(QList<double>, released);
        igx1sim::UsbAdapterHold hold(latency);
        QList<double> out;
        for (double a : arrivals) out << std::round(hold.release(a / 1000) * 1e6) / 1e3;
        QCOMPARE(out, released);
    }

    // Why a port was not asked or did not answer, as Find Controller and `ports` say it:
    // from the system for real devices, from the open's error for what root cannot meet.
    void whyAPortFailed() {
        QTemporaryDir dir;
        writeText(dir.filePath("plain"), "x");
        SimProcess silent({"--silent-from", "1"});
        QStringList reasons;
        for (const ProbeAnswer& a :
             findControllers({dir.filePath("missing"), dir.filePath("plain"), silent.device()}))
            reasons << troubleText(a.trouble);
        using E = QSerialPort::SerialPortError;
        for (auto [error, facts] : {std::pair{E::PermissionError, DeviceFacts{true, true, true}},
                                    {E::PermissionError, {true, true, false}},
                                    {E::UnsupportedOperationError, {true, true, false}}})
            reasons << troubleText(openTroubleOf(error, facts));
        QCOMPARE(reasons,
                 (QStringList{"no such device", "not a serial device", "silent (no answer in 1 s)",
                              "no permission (add your user to the dialout group)",
                              "busy (another program has it open)", "not a serial device"}));
    }

    // A Windows error as Find Controller, the open's message and a port that failed while
    // open say it: a port held by another program is the common refusal there.
    void windowsPortErrors_data() {
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<QString>("opening");
        QTest::addColumn<bool>("unplugged");  // said when it comes while the port is open
        const QString none = "no such device", busy = "busy (another program has it open)",
                      other = "not a serial device";
        QTest::newRow("file not found") << 2u << none << "no such port" << false;
        QTest::newRow("path not found") << 3u << none << "no such port" << false;
        QTest::newRow("access denied") << 5u << busy << "in use by another program" << true;
        QTest::newRow("sharing violation") << 32u << busy << "in use by another program" << false;
        QTest::newRow("invalid name") << 123u << other << "not a serial port" << false;
        QTest::newRow("not supported") << 50u << other << "not a serial port" << false;
        QTest::newRow("not ready") << 21u << other << "Windows error 21" << true;
        QTest::newRow("bad command") << 22u << other << "Windows error 22" << true;
        QTest::newRow("device removed") << 1617u << other << "Windows error 1617" << true;
        QTest::newRow("unknown") << 9999u << other << "Windows error 9999" << false;
    }
    void windowsPortErrors() {
        QFETCH(uint, code);
        QFETCH(QString, trouble);
        QFETCH(QString, opening);
        QFETCH(bool, unplugged);
        QCOMPARE(troubleText(win32OpenTrouble(code)), trouble);
        QVERIFY2(win32OpenErrorText(code).contains(opening, Qt::CaseInsensitive),
                 qPrintable(win32OpenErrorText(code)));
        QCOMPARE(win32FailureText(code).contains("unplugged"), unplugged);
    }
};

QTEST_GUILESS_MAIN(AdapterPlatformTest)
#include "adapter_platform_test.moc"
