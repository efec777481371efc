// The parameters: how the image decodes and encodes them, and the module and GPIO forms
// without their dialogs.
#include "core/error_report.h"
#include "data/config_image.h"
#include "data/gpio_params.h"
#include "data/mod_params.h"
#include "support/model_rig.h"

#include <QRandomGenerator>
#include <QTest>

using namespace velo;
using Mode = ModParamsForm::TableMode;
using Cyl = ModParamsForm::Cylinders;
using Slider = ModParamsForm::Slider;
using Box = GPIOParamsForm::Box;

namespace {

template <class Form>
struct FormRig : test::ModelRig {
    Form form{ctx};
    const auto& load() {
        form.Form_Load();
        return form.view();
    }
};
using Rig = FormRig<ModParamsForm>;
using GpioRig = FormRig<GPIOParamsForm>;

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
class ParamsTest : public QObject {
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
            QCOMPARE(im.OptionsByte, before[ConfigImage::kOptions]);  // kept as read
            im.UpdateEEPROM();
            QCOMPARE(im.OptionsByte, im.DataBuffer[ConfigImage::kOptions]);
            for (int a = 0; a <= 279; ++a)
                if (im.DataBuffer[a] != (a < 16 ? 0 : normalised(a, before[a])))
                    QFAIL(qPrintable(QString::asprintf("run %d offset %d: %d became %d", run, a,
                                                       before[a], im.DataBuffer[a])));
        }
    }

    // The start-up values as the controller would get them.
    void startUpValuesEncoded() {
        ConfigImage im;
        im.UpdateEEPROM();
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
        Trap trap(ui);
        im.UpdateEEPROM(&trap);
        QCOMPARE(ui.shown().size(), reports);
        QCOMPARE(int(im.DataBuffer[65]), 0xAA);
        QCOMPARE(int(im.DataBuffer[83]), maxRpmByte);
        // Without a trap the error reaches the caller.
        QVERIFY_THROWS_EXCEPTION(RunError, im.UpdateEEPROM());
    }

    // Loading clicks each control whose state changes, with the click's side effects;
    // selecting what is already selected ("Disable Timing Table" at first) is no click.
    void loadingActsAsClicks_data() {
        QTest::addColumn<bool>("t2d");
        QTest::addColumn<bool>("t3d");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("t2dAfter");
        QTest::newRow("2D") << true << false << int(Mode::Table2D) << true;
        QTest::newRow("both: 3D wins, 2D cleared") << true << true << int(Mode::Table3D) << false;
        QTest::newRow("none") << false << false << int(Mode::Disabled) << false;
    }
    void loadingActsAsClicks() {
        QFETCH(bool, t2d);
        QFETCH(bool, t3d);
        QFETCH(int, mode);
        QFETCH(bool, t2dAfter);
        Rig r;
        r.image.Table2DEnabled = t2d;
        r.image.Table3DEnabled = t3d;
        r.state.setTableMenus(true);
        const auto& v = r.load();
        QCOMPARE(int(v.tableMode), mode);
        QCOMPARE(v.trigTimingVisible, mode != int(Mode::Disabled));
        QCOMPARE(v.mapSensorVisible, mode == int(Mode::Table3D));
        QVERIFY(r.state.menus().editTimingTable);
        QCOMPARE(r.image.Table2DEnabled, t2dAfter);
        QVERIFY(r.ui.shown().isEmpty());
    }

    void loadingOtherFields() {
        Rig r;
        r.image.MAPSensor = 2;
        r.image.Cyl4 = r.image.Cyl6 = true;  // 6 wins and clears 4
        r.image.TimingEnable = false;
        const auto& v = r.load();
        QVERIFY(v.mapSensor == 2 && v.cylinders == Cyl::Six && !r.image.Cyl4 && r.image.Cyl6);
        QVERIFY(v.timingDisable && !r.image.TimingEnable);

        Rig odd;  // an unknown sensor index shows as 1 bar and is left alone
        odd.image.MAPSensor = 7;
        QVERIFY(odd.load().mapSensor == 0 && odd.image.MAPSensor == 7);
    }

    // Sliders as "position label", then the start retard box, which 1 count checks. Values
    // no slider position gives (made by another tool) keep the thumb at its end and the
    // label true; loading moves thumbs without storing what they would give.
    void loadingShowsTheSliders_data() {
        QTest::addColumn<QList<int>>("counts");  // start retard, retard comp, crank, trigger
        QTest::addColumn<QString>("shown");
        QTest::newRow("between positions")
            << QList<int>{57, 28, 12, 12} << "5 5 | 5 2.5 | 0 12 | 28 12 | on";
        QTest::newRow("beyond the ends")
            << QList<int>{200, 80, 0, 45} << "0 18 | 0 7.0 | 10 0 | 0 45 | on";
        QTest::newRow("start retard 1: checked")
            << QList<int>{1, 0, 2, 30} << "10 0 | 10 0.0 | 10 2 | 10 30 | on";
        QTest::newRow("start retard 0: clear")
            << QList<int>{0, 0, 2, 30} << "10 0 | 10 0.0 | 10 2 | 10 30 | off";
        QTest::newRow("start retard negative: clear")
            << QList<int>{-1, 0, 2, 30} << "10 0 | 10 0.0 | 10 2 | 10 30 | off";
    }
    void loadingShowsTheSliders() {
        QFETCH(QList<int>, counts);
        QFETCH(QString, shown);
        Rig r;
        ConfigImage& i = r.image;
        i.StartRetard = int16_t(counts[0]), i.RetardComp = int16_t(counts[1]);
        i.CrankPulses = int16_t(counts[2]), i.TrigTiming = int16_t(counts[3]);
        const auto& v = r.load();
        QStringList out;
        for (const Slider& s : {v.startRetard, v.retardComp, v.crankPulses, v.trigTiming})
            out << QString("%1 %2").arg(s.position).arg(s.label);
        out << QString(v.startRtd ? "on" : "off") + (v.startRtdVisible == v.startRtd ? "" : "?");
        QCOMPARE(out.join(" | "), shown);
        QCOMPARE((QList<int>{i.StartRetard, i.RetardComp, i.CrankPulses, i.TrigTiming}), counts);
    }

    void slidersStoreCounts() {
        const int16_t comp[] = {0, 6, 11, 17, 23, 28, 34, 40, 46, 51, 57};
        const int16_t start[] = {0, 11, 23, 34, 46, 57, 68, 80, 91, 102, 114};
        Rig r;
        r.load();
        for (int up = 0; up <= 10; ++up) {
            r.form.sldRetardComp_Change(10 - up);
            r.form.sldStartRetard_Change(10 - up);
            QVERIFY(r.image.RetardComp == comp[up] && r.image.StartRetard == start[up]);
            QCOMPARE(r.form.view().retardComp,
                     (Slider{10 - up, QString::number(up / 2.0, 'f', 1)}));
            QCOMPARE(r.form.view().startRetard.label, QString::number(up));
        }
        r.form.sldCrankPulses_Change(3);
        QCOMPARE(r.image.CrankPulses, int16_t(9));
        QCOMPARE(r.form.view().crankPulses.label, QString("9"));
    }

    void optionsAndBoxesWriteAtOnce() {
        Rig r;
        r.load();
        r.form.optTableMode_Click(Mode::Table3D);
        QVERIFY(r.image.Table3DEnabled && !r.image.Table2DEnabled);
        QVERIFY(r.state.menus().closeTbl && r.state.menus().saveTbl);
        r.form.optTableMode_Click(Mode::Disabled);
        QCOMPARE(r.state.menus(), MainState::Menus{});
        r.form.optMAP_Click(1);
        QCOMPARE(r.image.MAPSensor, uint8_t(1));
        r.form.optCyl_Click(Cyl::Four);
        QVERIFY(r.image.Cyl4 && !r.image.Cyl6);
        r.form.optCyl_Click(Cyl::Eight);
        QVERIFY(!r.image.Cyl4 && !r.image.Cyl6);
        r.form.chkTimingDisable_Click(true);
        QVERIFY(!r.image.TimingEnable);
        // Clearing the start retard zeroes it; checking again shows 0 until moved.
        r.image.StartRetard = 46;
        r.form.chkStartRtd_Click(true);
        r.form.chkStartRtd_Click(false);
        QVERIFY(r.image.StartRetard == 0 && !r.form.view().startRtdVisible);
        r.form.chkStartRtd_Click(true);
        QCOMPARE(r.form.view().startRetard, (Slider{10, "0"}));
        QVERIFY(r.form.view().startRtdVisible);
    }

    void okBringsTablesIntoTheWindow_data() {
        QTest::addColumn<int>("trig");
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("above T") << 20 << 35.0 << 20.0;
        QTest::newRow("just below T-22") << 40 << 17.5 << 18.0;
        QTest::newRow("negative") << 40 << -3.0 << 0.0;
        QTest::newRow("small T: no lower bound") << 10 << 0.0 << 0.0;
        QTest::newRow("fraction kept") << 30 << 12.25 << 12.25;
    }
    void okBringsTablesIntoTheWindow() {
        QFETCH(int, trig);
        QFETCH(double, in);
        QFETCH(double, out);
        Rig r;
        for (int k = 1; k <= 21; ++k) {
            r.image.Table2D(k, 1) = in;
            for (int m = 1; m <= 8; ++m) r.image.Table3D(k, m) = in;
        }
        r.image.Table3DEnabled = true;
        r.load();
        r.form.sldTrigTiming_Change(40 - trig);
        r.form.cmdOK_Click();
        QVERIFY(r.image.TrigTiming == trig && !r.image.BufferEmpty);
        // The table in use first, the other apart, or no word at all.
        QCOMPARE(r.heard.lastNotice(),
                 in == out ? QString()
                           : QString("OK brought 168 cells and 21 cells of the 2D table not "
                                     "in use into %1.0° to %2.0°")
                                 .arg(std::max(trig - 22, 0))
                                 .arg(trig));
        for (int k = 1; k <= 21; ++k) {
            QVERIFY(r.image.Table2D(k, 1) == out && r.image.Table2D(k, 2) == trig);
            for (int m = 1; m <= 8; ++m) QCOMPARE(r.image.Table3D(k, m), out);
        }
    }

    // Only the low four bits are the mode; an unknown one loads as Off and is stored so.
    void modeBytes_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("loaded");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("afterLoad");
        QTest::newRow("in1 0x52 digital") << 1 << 0x52 << 2 << 0x52;
        QTest::newRow("in1 0x5F unknown") << 1 << 0x5F << 0 << 0x50;
        QTest::newRow("in2 0x32 unknown") << 2 << 0x32 << 0 << 0x30;
        QTest::newRow("in2 0x01 digital") << 2 << 0x01 << 1 << 0x01;
        QTest::newRow("io3 7 unknown") << 3 << 7 << 0 << 0;
        QTest::newRow("io3 0xA2 window") << 3 << 0xA2 << 2 << 0xA2;
    }
    void modeBytes() {
        QFETCH(int, group);
        QFETCH(int, loaded);
        QFETCH(int, shown);
        QFETCH(int, afterLoad);
        GpioRig r;
        uint8_t& mode = group == 1   ? r.image.GPI1Mode
                        : group == 2 ? r.image.GPI2Mode
                                     : r.image.GPIO3Mode;
        mode = uint8_t(loaded);
        const auto& v = r.load();
        QCOMPARE(group == 1 ? v.gpi1Mode : group == 2 ? v.gpi2Mode : v.gpio3Mode, shown);
        QCOMPARE(int(mode), afterLoad);
    }

    void choosingModes() {
        GpioRig r;
        r.image.GPI1Mode = 0x52;
        r.load();
        r.form.optGPI1_Click(GPIOParamsForm::GPI1Off);
        QCOMPARE(r.image.GPI1Mode, uint8_t(0x50));
        QVERIFY(!r.form.view().gpi1Rtd.enabled);
        r.form.optGPI1_Click(GPIOParamsForm::GPI1AnalogRtd);
        QCOMPARE(r.image.GPI1Mode, uint8_t(0x51));
        QVERIFY(!r.form.view().gpi1Rtd.enabled);
        r.form.optGPI2_Click(GPIOParamsForm::GPI2Off);
        QVERIFY(!r.form.view().gpi2Rtd.enabled);
        r.form.optGPIO3_Click(GPIOParamsForm::GPIO3RPMSwitch);
        const auto& v = r.form.view();
        QVERIFY(!v.gpio3Rtd.enabled && v.minRpm.enabled && v.maxRpm.enabled);
        QCOMPARE(r.image.GPIO3Mode, uint8_t(2));
        // A disabled box keeps its text and its value.
        QCOMPARE(v.gpio3Rtd.text, QString("4"));
        QCOMPARE(r.image.GPIO3Retard, int16_t(46));
    }

    // A box left with an entry: what is stored and shown, and the message. A retard entry
    // goes to each of the three retard boxes; an RPM box shows both, as the other one is
    // pulled along.
    void boxes_data() {
        QTest::addColumn<int>("box");  // -1: each retard box
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QList<int>>("stored");  // retard counts, or minimum and maximum RPM
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        const int rtd = -1, minBox = int(Box::GPIO3MinRPM), maxBox = int(Box::GPIO3MaxRPM);
        const QString ge = "Value must be greater than or equal to ";
        const QString le = "Value must be less than or equal to ";
        auto row = [](const char* tag, int box, const char* entry, const QList<int>& stored,
                      const char* shown, const QString& message = {}) {
            QTest::newRow(tag) << box << entry << stored << shown << message;
        };
        row("2.9", rtd, "2.9", {23}, "2");
        row("-0.5 floors to -1", rtd, "-0.5", {0}, "0", ge + "0");
        row("12", rtd, "12", {114}, "10", le + "10");
        row("leading number", rtd, " 7deg", {80}, "7");
        row("huge", rtd, "1e30", {114}, "10", le + "10");
        row("min 3025 down to even", minBox, "3025", {3000, 6000}, "3000 6000");
        row("min 3075 up to even", minBox, "3075", {3100, 6000}, "3100 6000");
        row("min 10950", minBox, "10950", {10900, 10900}, "10900 10900", le + "10900");
        row("min -5", minBox, "-5", {0, 6000}, "0 6000", ge + "zero");
        row("min above max raises it", minBox, "7000", {7000, 7000}, "7000 7000");
        row("max 500", maxBox, "500", {1000, 1000}, "1000 1000", ge + "1000");
        row("max 12000", maxBox, "12000", {3000, 11000}, "3000 11000", le + "11000");
        row("max 4025", maxBox, "4025", {3000, 4000}, "3000 4000");
    }
    void boxes() {
        QFETCH(int, box);
        QFETCH(QString, entry);
        QFETCH(QList<int>, stored);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        const bool retard = box < 0;
        for (Box b : retard ? QList<Box>{Box::GPI1Rtd, Box::GPI2Rtd, Box::GPIO3Rtd}
                            : QList<Box>{Box(box)}) {
            GpioRig r;
            const auto& v = r.load();
            r.form.validate(b, entry);
            const ConfigImage& i = r.image;
            const int16_t counts = b == Box::GPI1Rtd   ? i.GPI1Retard
                                   : b == Box::GPI2Rtd ? i.GPI2Retard
                                                       : i.GPIO3Retard;
            const QList<int> now =
                retard ? QList<int>{counts} : QList<int>{i.GPIO3MinRPM, i.GPIO3MaxRPM};
            QCOMPARE(now, stored);
            QCOMPARE(retard ? r.form.box(b).text : v.minRpm.text + " " + v.maxRpm.text, shown);
            QCOMPARE(r.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
            if (message.isEmpty()) continue;
            QCOMPARE(r.ui.shown()[0].title, QString(retard                  ? "Retard"
                                                    : b == Box::GPIO3MinRPM ? "Minimum RPM"
                                                                            : "Maximum RPM"));
            QCOMPARE(r.ui.shown()[0].icon, Icon::Exclamation);
        }
    }
};

QTEST_GUILESS_MAIN(ParamsTest)
#include "params_test.moc"
