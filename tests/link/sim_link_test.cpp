// The link on a real port: igx1-sim on a pseudo-terminal, one run of each workflow and
// the faults only a real port shows.
#include "support/fake_link.h"
#include "support/sim_process.h"

#include <QFile>
#include <QTest>

using namespace velo;
using namespace velo::test;

namespace {

const QString kRs232 = "RS-232 timeout. Check cable and click Abort.";
const QString kId = "Firmware ID: IGX-1 V2.1";
const QString kDownloaded = "Downloaded data to buffer. Ready for editing.";

QByteArray asBytes(const ImageBytes& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

}  // namespace

class SimLinkTest : public QObject {
    Q_OBJECT

  private slots:
    void downloadThenUploadAnotherImage() {
        QTemporaryDir dir;
        const ImageBytes first = randomImage(41);
        const ImageBytes second = randomImage(42);
        QFile in(dir.filePath("in.dat"));
        QVERIFY(in.open(QIODevice::WriteOnly) && in.write(asBytes(first)) == 264);
        in.close();
        // Stale bytes from an earlier session wait in the line at the first open.
        SimProcess sim(
            {"--image", in.fileName(), "--save", dir.filePath("out.dat"), "--garbage", "40"});
        QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
        DeviceRig rig(sim.device());

        QCOMPARE(rig.link.download(), TransferOutcome::Completed);
        QCOMPARE(rig.ui.texts(), (QStringList{kId, kDownloaded}));
        QCOMPARE(rig.image.imageBytes(), first);
        QVERIFY(!rig.link.port().isOpen());

        rig.image.setImageBytes(second);
        rig.image.UpdateParams();
        rig.ui.clear();
        QCOMPARE(rig.link.upload(), TransferOutcome::Completed);
        QCOMPARE(rig.ui.texts(), (QStringList{kId, "Upload completed."}));
        QCOMPARE(sim.stop(), 0);
        QFile out(dir.filePath("out.dat"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), asBytes(second));
    }

    void pulledAdapter_data() {
        QTest::addColumn<bool>("upload");
        QTest::newRow("mid-read") << false;
        QTest::newRow("mid-program") << true;
    }

    void pulledAdapter() {
        QFETCH(bool, upload);
        SimProcess sim({upload ? "--unplug-write" : "--unplug-read", "140"});
        QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
        DeviceRig rig(sim.device());
        if (upload) {
            rig.image.setImageBytes(randomImage(3));
            rig.image.UpdateParams();
            rig.image.BufferEmpty = false;
        }
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
};

QTEST_GUILESS_MAIN(SimLinkTest)
#include "sim_link_test.moc"
