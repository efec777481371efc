// The link on a serial device named by VELO_TEST_DEVICE (a controller on an adapter, or
// igx1-sim's pseudo-terminal); skipped without one. Only reads: the controller keeps its
// configuration.
#include "support/sim_process.h"

#include <QTest>

using namespace velo;
using namespace velo::test;

class RealPortTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        device_ = qEnvironmentVariable("VELO_TEST_DEVICE");
        if (device_.isEmpty()) QSKIP("VELO_TEST_DEVICE names no serial device");
    }

    void commandsAnswer() {
        DeviceRig rig(device_);
        rig.link.ReSync();
        QVERIFY2(rig.link.LinkOK, "no resync answer: check cable and power");
        const int status = rig.link.ReadStatus();
        QVERIFY(rig.link.LinkOK);
        QCOMPARE(status, 1);  // engine stopped
        rig.link.ReadFirmwareID();
        QVERIFY(rig.link.LinkOK);
        QVERIFY(!rig.state.FirmwareID.isEmpty());
        QCOMPARE(rig.state.UnitModel, QString("IGX-1"));
        QVERIFY(rig.ui.shown().isEmpty());
    }

    void downloadReadsTheWholeImage() {
        DeviceRig rig(device_);
        QCOMPARE(rig.link.download(), TransferOutcome::Completed);
        QVERIFY(!rig.image.BufferEmpty);
        QVERIFY(!rig.link.port().isOpen());
    }

  private:
    QString device_;
};

QTEST_GUILESS_MAIN(RealPortTest)
#include "real_port_test.moc"
