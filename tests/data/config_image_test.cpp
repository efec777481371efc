#include "data/config_image.h"
#include "app/error_report.h"
#include "app/scripted_interaction.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace velo;

namespace {

ConfigImage decoded(const std::function<void(ConfigImage&)>& fill) {
    ConfigImage im;
    im.ClearEEPROMBuffer();
    fill(im);
    im.UpdateParams();
    return im;
}

// Bytes a decode/encode round trip may change, as the program is meant to.
uint8_t normalised(int offset, uint8_t byte) {
    switch (offset) {
        case ConfigImage::kTrigTiming:
            return std::min<uint8_t>(byte, 40);
        case ConfigImage::kCrankPulses:
            return std::clamp<uint8_t>(byte, 2, 12);
        case ConfigImage::kOptions: {
            uint8_t v = byte & 0x1F;
            if (v & 0x02) v &= ~0x01;
            return v;
        }
        default:
            return byte;
    }
}

}  // namespace

class ConfigImageTest : public QObject {
    Q_OBJECT
  private slots:
    void allZeroImageDecodesToSafeValues();
    void tableCellsComeFromTheirOffsets();
    void tablesDecodeAgainstClampedTrigTiming();
    void optionsByte_data();
    void optionsByte();
    void cylinderFlagsCompose_data();
    void cylinderFlagsCompose();
    void rpmWindowEncodesHalfToEven_data();
    void rpmWindowEncodesHalfToEven();
    void randomImagesRoundTripExceptNormalisedBytes();
    void encodeTouchesOnlyParameterBytes();
    void overflowGoesToErrorReport_data();
    void overflowGoesToErrorReport();
    void cellEncodingRoundsAndClamps_data();
    void cellEncodingRoundsAndClamps();
};

void ConfigImageTest::allZeroImageDecodesToSafeValues() {
    const ConfigImage im = decoded([](ConfigImage&) {});
    QCOMPARE(im.TrigTiming, 0);
    QCOMPARE(im.CrankPulses, 2);
    QVERIFY(!im.Cyl4 && !im.Cyl6 && !im.TimingEnable && !im.Table2DEnabled && !im.Table3DEnabled);
    QCOMPARE(im.GPIO3MinRPM, 0);
    QCOMPARE(im.GPIO3MaxRPM, 0);
    for (int k = 1; k <= 21; ++k) {
        QCOMPARE(im.Table2D(k, 1), 0.0);
        for (int r = 1; r <= 8; ++r) QCOMPARE(im.Table3D(k, r), 0.0);
    }
}

void ConfigImageTest::tableCellsComeFromTheirOffsets() {
    const ConfigImage im = decoded([](ConfigImage& m) {
        m.DataBuffer[48] = 30;
        m.DataBuffer[16] = 10;   // 2D column 1
        m.DataBuffer[36] = 20;   // 2D column 21
        m.DataBuffer[112] = 30;  // 3D row 8 column 1
        m.DataBuffer[132] = 40;  // 3D row 8 column 21
        m.DataBuffer[133] = 50;  // 3D row 7 column 1
        m.DataBuffer[259] = 60;  // 3D row 1 column 1
        m.DataBuffer[279] = 70;  // 3D row 1 column 21
    });
    QCOMPARE(im.Table2D(1, 1), 30 - 0.0879 * 10);
    QCOMPARE(im.Table2D(21, 1), 30 - 0.0879 * 20);
    QCOMPARE(im.Table2D(5, 2), 30.0);
    QCOMPARE(im.Table3D(1, 8), 30 - 0.0879 * 30);
    QCOMPARE(im.Table3D(21, 8), 30 - 0.0879 * 40);
    QCOMPARE(im.Table3D(1, 7), 30 - 0.0879 * 50);
    QCOMPARE(im.Table3D(1, 1), 30 - 0.0879 * 60);
    QCOMPARE(im.Table3D(21, 1), 30 - 0.0879 * 70);
    QCOMPARE(ConfigImage::offset3D(1, 8), 112);
    QCOMPARE(ConfigImage::offset3D(21, 1), 279);
    QCOMPARE(ConfigImage::offset2D(21), 36);
}

void ConfigImageTest::tablesDecodeAgainstClampedTrigTiming() {
    const ConfigImage im = decoded([](ConfigImage& m) {
        m.DataBuffer[48] = 55;
        m.DataBuffer[16] = 100;
        m.DataBuffer[112] = 100;
        m.DataBuffer[17] = 255;  // 22.4 degrees below 40: still positive
    });
    QCOMPARE(im.TrigTiming, 40);
    QCOMPARE(im.Table2D(1, 1), 40 - 0.0879 * 100);
    QCOMPARE(im.Table2D(1, 2), 40.0);
    QCOMPARE(im.Table3D(1, 8), 40 - 0.0879 * 100);

    // With a small trigger timing a large count is clamped in 2D but not in 3D.
    const ConfigImage low = decoded([](ConfigImage& m) {
        m.DataBuffer[48] = 10;
        m.DataBuffer[16] = 200;
        m.DataBuffer[112] = 200;
    });
    QCOMPARE(low.Table2D(1, 1), 0.0);
    QCOMPARE(low.Table3D(1, 8), 10 - 0.0879 * 200);
}

void ConfigImageTest::optionsByte_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("encoded");
    QTest::newRow("start-up 0x04 unchanged") << 0x04 << 0x04;
    QTest::newRow("0xFF: 6 cylinders win, high bits dropped") << 0xFF << 0x1E;
    QTest::newRow("4 cylinders and 2D") << 0x0D << 0x0D;
    QTest::newRow("both tables kept by the image") << 0x18 << 0x18;
    QTest::newRow("high bits only") << 0xE0 << 0x00;
}

void ConfigImageTest::optionsByte() {
    QFETCH(int, byte);
    QFETCH(int, encoded);
    ConfigImage im = decoded([&](ConfigImage& m) { m.DataBuffer[50] = uint8_t(byte); });
    QCOMPARE(im.OptionsByte, uint8_t(byte));
    QCOMPARE(im.Cyl4, bool(byte & 1));
    QCOMPARE(im.Table3DEnabled, bool(byte & 0x10));
    im.UpdateEEPROM();
    QCOMPARE(int(im.DataBuffer[50]), encoded);
    QCOMPARE(int(im.OptionsByte), encoded);
}

void ConfigImageTest::cylinderFlagsCompose_data() {
    QTest::addColumn<bool>("cyl4");
    QTest::addColumn<bool>("cyl6");
    QTest::addColumn<int>("bits");
    QTest::newRow("8 cylinders") << false << false << 0;
    QTest::newRow("4 cylinders") << true << false << 1;
    QTest::newRow("6 cylinders") << false << true << 2;
    QTest::newRow("both: 6 wins") << true << true << 2;
}

void ConfigImageTest::cylinderFlagsCompose() {
    QFETCH(bool, cyl4);
    QFETCH(bool, cyl6);
    QFETCH(int, bits);
    ConfigImage im;
    im.Cyl4 = cyl4;
    im.Cyl6 = cyl6;
    im.TimingEnable = false;
    im.UpdateEEPROM();
    QCOMPARE(int(im.DataBuffer[50]), bits);
}

void ConfigImageTest::rpmWindowEncodesHalfToEven_data() {
    QTest::addColumn<int>("rpm");
    QTest::addColumn<int>("byte");
    QTest::newRow("3000") << 3000 << 60;
    QTest::newRow("3025 half to even") << 3025 << 60;
    QTest::newRow("3075 half to even") << 3075 << 62;
    QTest::newRow("3030") << 3030 << 61;
    QTest::newRow("12750 top") << 12750 << 255;
}

void ConfigImageTest::rpmWindowEncodesHalfToEven() {
    QFETCH(int, rpm);
    QFETCH(int, byte);
    ConfigImage im;
    im.GPIO3MinRPM = int16_t(rpm);
    im.GPIO3MaxRPM = int16_t(rpm);
    im.UpdateEEPROM();
    QCOMPARE(int(im.DataBuffer[82]), byte);
    QCOMPARE(int(im.DataBuffer[83]), byte);
}

void ConfigImageTest::randomImagesRoundTripExceptNormalisedBytes() {
    QRandomGenerator rng(20261206);
    for (int run = 0; run < 200; ++run) {
        ConfigImage im;
        im.ClearEEPROMBuffer();
        for (int a = 16; a <= 279; ++a) im.DataBuffer[a] = uint8_t(rng.bounded(256));
        const auto before = im.DataBuffer;
        im.UpdateParams();
        im.UpdateEEPROM();
        for (int a = 0; a < 16; ++a) QCOMPARE(im.DataBuffer[a], uint8_t(0));
        for (int a = 16; a <= 279; ++a)
            if (im.DataBuffer[a] != normalised(a, before[a]))
                QFAIL(qPrintable(QString("run %1 offset %2: %3 became %4")
                                     .arg(run)
                                     .arg(a)
                                     .arg(before[a])
                                     .arg(im.DataBuffer[a])));
    }
}

void ConfigImageTest::encodeTouchesOnlyParameterBytes() {
    ConfigImage im;
    im.ClearEEPROMBuffer();
    im.DataBuffer.fill(0xAA);
    im.UpdateEEPROM();
    const QList<int> params = {48, 49, 50, 51, 52, 53, 64, 65, 72, 73, 80, 81, 82, 83};
    for (int a = 0; a < 280; ++a)
        if (!params.contains(a)) QCOMPARE(int(im.DataBuffer[a]), 0xAA);
    // The start-up values as the controller would get them.
    QCOMPARE(int(im.DataBuffer[48]), 30);
    QCOMPARE(int(im.DataBuffer[65]), 23);
    QCOMPARE(int(im.DataBuffer[82]), 60);
    QCOMPARE(int(im.DataBuffer[83]), 120);
}

void ConfigImageTest::overflowGoesToErrorReport_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("retardByte");
    QTest::addColumn<int>("maxRpmByte");
    QTest::addColumn<int>("reports");
    // Ignore skips the failing byte and goes on; Abort leaves the rest unchanged.
    QTest::newRow("ignore") << int(Answer::Ignore) << 0xAA << 120 << 1;
    QTest::newRow("abort") << int(Answer::Abort) << 0xAA << 0xAA << 1;
    QTest::newRow("retry then ignore") << int(Answer::Retry) << 0xAA << 120 << 2;
}

void ConfigImageTest::overflowGoesToErrorReport() {
    QFETCH(int, answer);
    QFETCH(int, retardByte);
    QFETCH(int, maxRpmByte);
    QFETCH(int, reports);
    ConfigImage im;
    im.DataBuffer.fill(0xAA);
    im.GPI1Retard = 300;
    ScriptedInteraction ui;
    ui.answer(Answer(answer));
    if (Answer(answer) == Answer::Retry) ui.answer(Answer::Ignore);
    Trap trap(ui);
    im.UpdateEEPROM(&trap);
    QCOMPARE(ui.shown().size(), reports);
    QCOMPARE(ui.shown()[0].title, QString("Error"));
    QCOMPARE(ui.shown()[0].buttons, Buttons::AbortRetryIgnore);
    QCOMPARE(int(im.DataBuffer[65]), retardByte);
    QCOMPARE(int(im.DataBuffer[83]), maxRpmByte);
    // Without a trap the error reaches the caller.
    QVERIFY_THROWS_EXCEPTION(RunError, im.UpdateEEPROM());
}

void ConfigImageTest::cellEncodingRoundsAndClamps_data() {
    QTest::addColumn<double>("trig");
    QTest::addColumn<double>("advance");
    QTest::addColumn<int>("cell");
    QTest::newRow("exact counts") << 30.0 << 30 - 0.0879 * 57 << 57;
    QTest::newRow("advance above trigger clamps to 0") << 30.0 << 31.0 << 0;
    QTest::newRow("far below clamps to 255") << 40.0 << 0.0 << 255;
    QTest::newRow("nearest count") << 30.0 << 20.0 << 114;
}

void ConfigImageTest::cellEncodingRoundsAndClamps() {
    QFETCH(double, trig);
    QFETCH(double, advance);
    QFETCH(int, cell);
    QCOMPARE(int(ConfigImage::encodeCell(trig, advance)), cell);
}

QTEST_APPLESS_MAIN(ConfigImageTest)
#include "config_image_test.moc"
