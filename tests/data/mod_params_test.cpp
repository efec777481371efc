#include "data/mod_params.h"

#include "support/model_rig.h"

#include <QTest>

using namespace velo;
using Mode = ModParamsForm::TableMode;
using Cyl = ModParamsForm::Cylinders;
using Slider = ModParamsForm::Slider;

namespace {

struct Rig : test::ModelRig {
    ModParamsForm form{ctx};
    const ModParamsForm::View& load() {
        form.Form_Load();
        return form.view();
    }
};

}  // namespace

class ModParamsTest : public QObject {
    Q_OBJECT
  private slots:
    // Loading clicks each control whose state changes, with the click's side effects;
    // selecting what is already selected ("Disable Timing Table" at first) is no click.
    void loadingActsAsClicks_data() {
        QTest::addColumn<bool>("t2d");
        QTest::addColumn<bool>("t3d");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("t2dAfter");
        QTest::newRow("2D") << true << false << int(Mode::Table2D) << true;
        QTest::newRow("3D") << false << true << int(Mode::Table3D) << false;
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
        r.image.StartRetard = 57;
        r.image.RetardComp = 28;
        r.image.CrankPulses = 12;
        r.image.TrigTiming = 12;
        const auto& v = r.load();
        QVERIFY(v.mapSensor == 2 && v.cylinders == Cyl::Six && !r.image.Cyl4 && r.image.Cyl6);
        QVERIFY(v.timingDisable && !r.image.TimingEnable);
        QCOMPARE(v.startRetard, (Slider{5, "5"}));
        QCOMPARE(v.retardComp, (Slider{5, "2.5"}));
        QCOMPARE(v.crankPulses, (Slider{0, "12"}));
        QCOMPARE(v.trigTiming, (Slider{28, "12"}));
        // Loading moves thumbs without storing what they would give.
        QCOMPARE(r.image.StartRetard, int16_t(57));

        Rig odd;  // an unknown sensor index shows as 1 bar and is left alone
        odd.image.MAPSensor = 7;
        odd.image.Cyl4 = true;
        QVERIFY(odd.load().mapSensor == 0 && odd.image.MAPSensor == 7);
        QCOMPARE(odd.form.view().cylinders, Cyl::Four);
    }

    void startRetardBoxFrom1Count_data() {
        QTest::addColumn<int>("counts");
        QTest::addColumn<bool>("checked");
        QTest::newRow("0: clear") << 0 << false;
        QTest::newRow("1: checked") << 1 << true;
        QTest::newRow("negative: clear") << -1 << false;
    }
    void startRetardBoxFrom1Count() {
        QFETCH(int, counts);
        QFETCH(bool, checked);
        Rig r;
        r.image.StartRetard = int16_t(counts);
        const auto& v = r.load();
        QVERIFY(v.startRtd == checked && v.startRtdVisible == checked);
        QCOMPARE(r.image.StartRetard, int16_t(counts));  // loading clears no value
    }

    // Values no slider position gives (made by another tool) keep the thumb at its end
    // and the label true.
    void valuesBeyondTheSliders() {
        Rig r;
        r.image.RetardComp = 80;
        r.image.StartRetard = 200;
        r.image.CrankPulses = 0;
        r.image.TrigTiming = 45;
        const auto& v = r.load();
        QCOMPARE(v.retardComp, (Slider{0, "7.0"}));
        QCOMPARE(v.startRetard, (Slider{0, "18"}));
        QCOMPARE(v.crankPulses, (Slider{10, "0"}));
        QCOMPARE(v.trigTiming.position, 0);
        QCOMPARE(r.image.RetardComp, int16_t(80));
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

    void trigTimingWaitsForOk() {
        Rig r;
        r.image.Table2D(1, 1) = 35;
        r.load();
        r.form.sldTrigTiming_Change(20);
        QCOMPARE(r.form.view().trigTiming.label, QString("20"));
        // Closed without OK: nothing of the trigger timing reaches the image.
        QVERIFY(r.image.TrigTiming == 30 && r.image.Table2D(1, 1) == 35.0 && r.image.BufferEmpty);
    }

    void okBringsTablesIntoTheWindow_data() {
        QTest::addColumn<int>("trig");
        QTest::addColumn<double>("in");
        QTest::addColumn<double>("out");
        QTest::newRow("above T") << 20 << 35.0 << 20.0;
        QTest::newRow("inside") << 20 << 5.0 << 5.0;
        QTest::newRow("below T-22") << 40 << 5.0 << 18.0;
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
        r.load();
        r.form.sldTrigTiming_Change(40 - trig);
        r.form.cmdOK_Click();
        QVERIFY(r.image.TrigTiming == trig && !r.image.BufferEmpty);
        for (int k = 1; k <= 21; ++k) {
            QVERIFY(r.image.Table2D(k, 1) == out && r.image.Table2D(k, 2) == trig);
            for (int m = 1; m <= 8; ++m) QCOMPARE(r.image.Table3D(k, m), out);
        }
    }
};

QTEST_GUILESS_MAIN(ModParamsTest)
#include "mod_params_test.moc"
