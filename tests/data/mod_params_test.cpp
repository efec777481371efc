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
        odd.image.Cyl4 = true;
        QVERIFY(odd.load().mapSensor == 0 && odd.image.MAPSensor == 7);
        QCOMPARE(odd.form.view().cylinders, Cyl::Four);
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
        QString told;
        r.ctx.notice = [&told](const QString& text) { told = text; };
        r.load();
        r.form.sldTrigTiming_Change(40 - trig);
        r.form.cmdOK_Click();
        QVERIFY(r.image.TrigTiming == trig && !r.image.BufferEmpty);
        // Both tables' 189 cells, or no word at all.
        QCOMPARE(told, in == out ? QString()
                                 : QString("OK brought 189 cells into %1.0° to %2.0°")
                                       .arg(std::max(trig - 22, 0))
                                       .arg(trig));
        for (int k = 1; k <= 21; ++k) {
            QVERIFY(r.image.Table2D(k, 1) == out && r.image.Table2D(k, 2) == trig);
            for (int m = 1; m <= 8; ++m) QCOMPARE(r.image.Table3D(k, m), out);
        }
    }
};

QTEST_GUILESS_MAIN(ModParamsTest)
#include "mod_params_test.moc"
