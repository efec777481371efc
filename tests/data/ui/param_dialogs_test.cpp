#include "data/ui/param_dialogs.h"
#include "support/model_rig.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

using namespace velo;

namespace {

using Rig = test::ModelRig;

template <class W>
W* child(QWidget& dialog, const char* name) {
    W* w = dialog.findChild<W*>(name);
    if (!w) qFatal("no %s", name);
    return w;
}

bool checked(QWidget& d, const char* name) {
    return child<QAbstractButton>(d, name)->isChecked();
}

}  // namespace

class ParamDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void modParamsShowsTheLoadedImage() {
        Rig r;
        r.image.Table3DEnabled = true;
        r.image.MAPSensor = 1;
        r.image.Cyl4 = true;
        r.image.StartRetard = 46;
        r.image.RetardComp = 51;
        r.image.CrankPulses = 6;
        r.image.TrigTiming = 25;
        frmModParams d(r.ctx);
        d.show();
        QCOMPARE(d.windowTitle(), QString("Velo IGX - Edit Module Parameters"));
        QVERIFY(checked(d, "opt3DTimingTable") && checked(d, "optMAP2Bar") &&
                checked(d, "optCyl4") && checked(d, "chkStartRtd"));
        QVERIFY(!checked(d, "chkTimingDisable"));
        QVERIFY(child<QGroupBox>(d, "fraMAPSensor")->isVisible());
        QVERIFY(child<QGroupBox>(d, "fraTrigTiming")->isVisible());
        QVERIFY(child<QGroupBox>(d, "fraStartRtd")->isVisible());
        auto slider = [&](const char* name) { return child<QSlider>(d, name)->value(); };
        auto label = [&](const char* name) { return child<QLabel>(d, name)->text(); };
        QCOMPARE(slider("sldTrigTiming"), 15);
        QCOMPARE(label("lblTrigTimingVal"), QString("25"));
        QCOMPARE(slider("sldStartRetard"), 6);
        QCOMPARE(label("lblStartRtdVal"), QString("4"));
        QCOMPARE(slider("sldCrankPulses"), 6);
        QCOMPARE(label("lblCrankPulsesVal"), QString("6"));
        QCOMPARE(slider("sldRetardComp"), 1);
        QCOMPARE(label("lblRetardCompVal"), QString("4.5"));
        // The thumb for position 0 is at the top, so Up raises the parameter.
        auto* comp = child<QSlider>(d, "sldRetardComp");
        QVERIFY(comp->invertedAppearance() && comp->invertedControls());
        QCOMPARE(comp->maximum(), 10);
        QCOMPARE(child<QSlider>(d, "sldTrigTiming")->maximum(), 40);
    }

    void modParamsControlsEditTheModel() {
        Rig r;
        r.image.Table2D(3, 1) = 33;
        frmModParams d(r.ctx);
        d.show();
        QVERIFY(!child<QGroupBox>(d, "fraTrigTiming")->isVisible());
        child<QRadioButton>(d, "opt2DTimingTable")->click();
        QVERIFY(r.image.Table2DEnabled);
        QVERIFY(r.state.menus().editTimingTable);
        QVERIFY(child<QGroupBox>(d, "fraTrigTiming")->isVisible());
        QVERIFY(!child<QGroupBox>(d, "fraMAPSensor")->isVisible());
        child<QCheckBox>(d, "chkStartRtd")->click();
        QVERIFY(child<QGroupBox>(d, "fraStartRtd")->isVisible());
        auto* start = child<QSlider>(d, "sldStartRetard");
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Up);  // one degree more
        QCOMPARE(r.image.StartRetard, int16_t(11));
        QCOMPARE(child<QLabel>(d, "lblStartRtdVal")->text(), QString("1"));
        child<QSlider>(d, "sldTrigTiming")->setValue(20);
        QCOMPARE(r.image.TrigTiming, int16_t(30));
        // Escape does not close a form that has no Cancel.
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(d.isVisible());
        child<QPushButton>(d, "cmdOK")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(r.image.TrigTiming, int16_t(20));
        QCOMPARE(r.image.Table2D(3, 1), 20.0);
        QVERIFY(!r.image.BufferEmpty);
    }

    void gpioShowsTheLoadedImage() {
        Rig r;
        r.image.GPI1Mode = 0x51;
        r.image.GPI2Mode = 0;
        r.image.GPIO3Mode = 2;
        r.image.GPIO3MinRPM = 2500;
        frmGPIOParams d(r.ctx);
        d.show();
        QCOMPARE(d.windowTitle(),
                 QString("Velo IGX - Edit General Purpose Input/Ouput Parameters"));
        QVERIFY(checked(d, "optGPI1AnalogRtd") && checked(d, "optGPI2Disable") &&
                checked(d, "optGPIO3RPMSwitch"));
        auto box = [&](const char* name) { return child<QLineEdit>(d, name); };
        QVERIFY(!box("txtGPI1Rtd")->isEnabled() && !box("txtGPI2Rtd")->isEnabled());
        QVERIFY(!box("txtGPIO3Rtd")->isEnabled());
        QVERIFY(box("txtGPIO3MinRPM")->isEnabled() && box("txtGPIO3MaxRPM")->isEnabled());
        QCOMPARE(box("txtGPIO3MinRPM")->text(), QString("2500"));
        QCOMPARE(box("txtGPI1Rtd")->text(), QString("2"));
        child<QRadioButton>(d, "optGPI1DigitalRtd")->click();
        QVERIFY(box("txtGPI1Rtd")->isEnabled());
        QCOMPARE(r.image.GPI1Mode, uint8_t(0x52));
    }

    // Enter in a box is OK, and the box is checked before the form closes.
    void gpioEnterChecksTheFocusedBox() {
        Rig r;
        frmGPIOParams d(r.ctx);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        auto* box = child<QLineEdit>(d, "txtGPI2Rtd");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, "15");
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(r.ui.texts(), QStringList{"Value must be less than or equal to 10"});
        QCOMPARE(r.image.GPI2Retard, int16_t(114));
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!d.isVisible());
    }

    void gpioLeavingABoxChecksIt() {
        Rig r;
        frmGPIOParams d(r.ctx);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        auto* max = child<QLineEdit>(d, "txtGPIO3MaxRPM");
        auto* min = child<QLineEdit>(d, "txtGPIO3MinRPM");
        child<QRadioButton>(d, "optGPIO3RPMSwitch")->click();
        max->setFocus();
        max->selectAll();
        QTest::keyClicks(max, "500");
        QTest::keyClick(max, Qt::Key_Tab);
        QCOMPARE(r.ui.texts(), QStringList{"Value must be greater than or equal to 1000"});
        QCOMPARE(max->text(), QString("1000"));
        QCOMPARE(min->text(), QString("1000"));
        QVERIFY(!max->hasFocus());
        // Leaving an untouched box again asks nothing.
        max->setFocus();
        QTest::keyClick(max, Qt::Key_Tab);
        QCOMPARE(r.ui.texts().size(), 1);
    }

    // Closed by its title bar button: the edit of the focused box was never checked.
    void gpioClosedWithAnUncheckedEdit() {
        Rig r;
        frmGPIOParams d(r.ctx);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        auto* box = child<QLineEdit>(d, "txtGPI1Rtd");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, "25");
        d.close();
        QVERIFY(r.ui.shown().isEmpty());
        QCOMPARE(r.image.GPI1Retard, int16_t(23));
    }
};

QTEST_MAIN(ParamDialogsTest)
#include "param_dialogs_test.moc"
