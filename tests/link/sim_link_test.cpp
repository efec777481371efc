// The link on a real serial port: igx1-sim on a pseudo-terminal.
#include "app/scripted_interaction.h"
#include "link/controller_link.h"
#include "support/fake_link.h"
#include "support/sim_process.h"

#include <QFile>
#include <QTest>

using namespace velo;
using namespace velo::test;

namespace {

const QString kRs232 = "RS-232 timeout. Check cable and click Abort.";
const QString kId = "Firmware ID: IGX-1 V2.1";

using Image = std::array<uint8_t, ConfigImage::kImageBytes>;

using PtyRig = DeviceRig;

void writeImage(const QString& path, const Image& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

Image readImage(const QString& path) {
    Image out{};
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray data = f.readAll();
        std::copy_n(data.begin(), std::min<qsizetype>(data.size(), qsizetype(out.size())),
                    out.begin());
    }
    return out;
}

}  // namespace

class SimLinkTest : public QObject {
    Q_OBJECT

  private slots:
    void downloadThenUploadAnotherImage();
    void faults_data();
    void faults();
    void pulledAdapter_data();
    void pulledAdapter();
};

void SimLinkTest::downloadThenUploadAnotherImage() {
    QTemporaryDir dir;
    const Image first = randomImage(41);
    const Image second = randomImage(42);
    writeImage(dir.filePath("in.dat"), first);
    SimProcess sim({"--image", dir.filePath("in.dat"), "--save", dir.filePath("out.dat")});
    QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
    PtyRig rig(sim.device());

    QCOMPARE(rig.link.download(), TransferOutcome::Completed);
    QCOMPARE(rig.ui.texts(), (QStringList{kId, "Downloaded data to buffer. Ready for editing."}));
    QCOMPARE(rig.image.imageBytes(), first);
    QVERIFY(!rig.link.port().isOpen());

    rig.image.setImageBytes(second);
    rig.image.UpdateParams();
    rig.ui.clear();
    QCOMPARE(rig.link.upload(), TransferOutcome::Completed);
    QCOMPARE(rig.ui.texts(), (QStringList{kId, "Upload completed."}));
    QCOMPARE(sim.stop(), 0);
    QCOMPARE(readImage(dir.filePath("out.dat")), second);
}

void SimLinkTest::faults_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("stale bytes at open")
        << QStringList{"--garbage", "40"}
        << QStringList{kId, "Downloaded data to buffer. Ready for editing."};
    QTest::newRow("identification in slow pieces")
        << QStringList{"--split-us", "40000"}
        << QStringList{kId, "Downloaded data to buffer. Ready for editing."};
    QTest::newRow("resync refused")
        << QStringList{"--resync-answer", "0x00"}
        << QStringList{"Cannot establish RS-232 link. Check cable and IGX-1 power."};
    QTest::newRow("status answered too late")
        << QStringList{"--delay-at", "2", "--delay-ms", "1200"} << QStringList{kRs232};
    QTest::newRow("read answer corrupted")  // a download cannot tell; it takes the byte
        << QStringList{"--read-corrupt", "30"}
        << QStringList{kId, "Downloaded data to buffer. Ready for editing."};
}

void SimLinkTest::faults() {
    QFETCH(QStringList, sim);
    QFETCH(QStringList, messages);
    SimProcess process(sim);
    QVERIFY2(!process.device().isEmpty(), qPrintable(process.error()));
    PtyRig rig(process.device());
    rig.link.download();
    QCOMPARE(rig.ui.texts(), messages);
    QVERIFY(!rig.link.port().isOpen());
}

void SimLinkTest::pulledAdapter_data() {
    QTest::addColumn<bool>("upload");
    QTest::newRow("mid-read") << false;
    QTest::newRow("mid-program") << true;
}

void SimLinkTest::pulledAdapter() {
    QFETCH(bool, upload);
    SimProcess sim({upload ? "--unplug-write" : "--unplug-read", "140"});
    QVERIFY2(!sim.device().isEmpty(), qPrintable(sim.error()));
    PtyRig rig(sim.device());
    if (upload) {
        rig.image.setImageBytes(randomImage(3));
        rig.image.UpdateParams();
        rig.image.BufferEmpty = false;
    }
    const auto outcome = upload ? rig.link.upload() : rig.link.download();
    QCOMPARE(outcome, TransferOutcome::Failed);
    const QString last =
        upload ? "Upload aborted - EEPROM programming failed." : "Download failed.";
    // One report, not one per remaining byte.
    QCOMPARE(rig.ui.texts(), (QStringList{kId, kRs232, last}));
    QVERIFY(!rig.link.port().isOpen());
    QVERIFY(!rig.state.progressVisible());
    QCOMPARE(rig.image.BufferEmpty, !upload);
    QCOMPARE(sim.stop(), 3);
}

QTEST_GUILESS_MAIN(SimLinkTest)
#include "sim_link_test.moc"
