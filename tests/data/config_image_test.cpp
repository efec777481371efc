#include "data/config_image.h"
#include "core/error_report.h"
#include "core/scripted_interaction.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace velo;

namespace {

ConfigImage decoded(const std::map<int, uint8_t>& bytes) {
    ConfigImage im;
    im.ClearEEPROMBuffer();
    for (auto [offset, byte] : bytes) im.DataBuffer[offset] = byte;
    im.UpdateParams();
    return im;
}

// Bytes a decode/encode round trip may change, as the program is meant to.
uint8_t normalised(int offset, uint8_t byte) {
    if (offset == ConfigImage::kTrigTiming) return std::min<uint8_t>(byte, 40);
    if (offset == ConfigImage::kCrankPulses) return std::clamp<uint8_t>(byte, 2, 12);
    if (offset != ConfigImage::kOptions) return byte;
    const uint8_t v = byte & 0x1F;
    return v & 0x02 ? v & ~0x01 : v;
}

}  // namespace

// Layout offsets are checked through the data files; here what the decoding computes.
class ConfigImageTest : public QObject {
    Q_OBJECT
  private slots:
    // The encoding clamps these too, so a round trip cannot tell.
    void decodeClampsTrigTimingAndCrankPulses() {
        const ConfigImage im = decoded({{48, 55}, {16, 100}, {112, 100}});
        QCOMPARE(im.TrigTiming, 40);
        QCOMPARE(im.CrankPulses, 2);  // a blank EEPROM's 0
        QCOMPARE(decoded({{49, 13}}).CrankPulses, 12);
        QCOMPARE(im.Table2D(1, 1), 40 - 0.0879 * 100);
        QCOMPARE(im.Table2D(1, 2), 40.0);
        QCOMPARE(im.Table3D(1, 8), 40 - 0.0879 * 100);
        // With a small trigger timing a large count is clamped in 2D but not in 3D.
        const ConfigImage low = decoded({{48, 10}, {16, 200}, {112, 200}});
        QCOMPARE(low.Table2D(1, 1), 0.0);
        QCOMPARE(low.Table3D(1, 8), 10 - 0.0879 * 200);
    }

    void optionsByte_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("encoded");
        QTest::newRow("start-up 0x04 unchanged") << 0x04 << 0x04;
        QTest::newRow("0xFF: 6 cylinders win, high bits dropped") << 0xFF << 0x1E;
        QTest::newRow("4 cylinders and 2D") << 0x0D << 0x0D;
        QTest::newRow("both tables kept by the image") << 0x18 << 0x18;
    }
    void optionsByte() {
        QFETCH(int, byte);
        QFETCH(int, encoded);
        ConfigImage im = decoded({{50, uint8_t(byte)}});
        QCOMPARE(im.OptionsByte, uint8_t(byte));
        QCOMPARE(im.Cyl4, bool(byte & 1));
        QCOMPARE(im.Table3DEnabled, bool(byte & 0x10));
        im.UpdateEEPROM();
        QCOMPARE(int(im.DataBuffer[50]), encoded);
        QCOMPARE(int(im.OptionsByte), encoded);
    }

    void rpmWindowEncodesHalfToEven_data() {
        QTest::addColumn<int>("rpm");
        QTest::addColumn<int>("byte");
        QTest::newRow("3025 half to even") << 3025 << 60;
        QTest::newRow("3075 half to even") << 3075 << 62;
        QTest::newRow("12750 top") << 12750 << 255;
    }
    void rpmWindowEncodesHalfToEven() {
        QFETCH(int, rpm);
        QFETCH(int, byte);
        ConfigImage im;
        im.GPIO3MinRPM = im.GPIO3MaxRPM = int16_t(rpm);
        im.UpdateEEPROM();
        QVERIFY(im.DataBuffer[82] == byte && im.DataBuffer[83] == byte);
    }

    void randomImagesRoundTripExceptNormalisedBytes() {
        QRandomGenerator rng(20261206);
        for (int run = 0; run < 200; ++run) {
            ConfigImage im;
            im.ClearEEPROMBuffer();
            for (int a = 16; a <= 279; ++a) im.DataBuffer[a] = uint8_t(rng.bounded(256));
            const auto before = im.DataBuffer;
            im.UpdateParams();
            im.UpdateEEPROM();
            for (int a = 0; a <= 279; ++a)
                if (im.DataBuffer[a] != (a < 16 ? 0 : normalised(a, before[a])))
                    QFAIL(qPrintable(QString::asprintf("run %d offset %d: %d became %d", run, a,
                                                       before[a], im.DataBuffer[a])));
        }
    }

    void encodeTouchesOnlyParameterBytes() {
        ConfigImage im;
        im.DataBuffer.fill(0xAA);
        im.UpdateEEPROM();
        const QList<int> params = {48, 49, 50, 51, 52, 53, 64, 65, 72, 73, 80, 81, 82, 83};
        for (int a = 0; a < 280; ++a)
            if (!params.contains(a)) QCOMPARE(int(im.DataBuffer[a]), 0xAA);
        // The start-up values as the controller would get them.
        QCOMPARE((QList<int>{im.DataBuffer[48], im.DataBuffer[65], im.DataBuffer[82],
                             im.DataBuffer[83]}),
                 (QList<int>{30, 23, 60, 120}));
    }

    void overflowGoesToErrorReport_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("maxRpmByte");
        QTest::addColumn<int>("reports");
        // Ignore skips the failing byte and goes on; Abort leaves the rest unchanged.
        QTest::newRow("ignore") << int(Answer::Ignore) << 120 << 1;
        QTest::newRow("abort") << int(Answer::Abort) << 0xAA << 1;
        QTest::newRow("retry then ignore") << int(Answer::Retry) << 120 << 2;
    }
    void overflowGoesToErrorReport() {
        QFETCH(int, answer);
        QFETCH(int, maxRpmByte);
        QFETCH(int, reports);
        ConfigImage im;
        im.DataBuffer.fill(0xAA);
        im.GPI1Retard = 300;
        ScriptedInteraction ui;
        ui.answer(Answer(answer));
        ui.answer(Answer::Ignore);
        Trap trap(ui);
        im.UpdateEEPROM(&trap);
        QCOMPARE(ui.shown().size(), reports);
        QCOMPARE(int(im.DataBuffer[65]), 0xAA);
        QCOMPARE(int(im.DataBuffer[83]), maxRpmByte);
        // Without a trap the error reaches the caller.
        QVERIFY_THROWS_EXCEPTION(RunError, im.UpdateEEPROM());
    }
};

QTEST_APPLESS_MAIN(ConfigImageTest)
#include "config_image_test.moc"
