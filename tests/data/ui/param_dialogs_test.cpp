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

    // However the box is left, it is checked first and the way out still takes effect.
    // A mouse press alone: the correction box swallows the release.
    void gpioLeavingABoxChecksIt_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("via");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("closed");
        QTest::newRow("Tab") << "txtGPIO3MaxRPM"
                             << "500"
                             << "Tab"
                             << "Value must be greater than or equal to 1000" << false;
        QTest::newRow("Enter is OK") << "txtGPI2Rtd"
                                     << "15"
                                     << "Return"
                                     << "Value must be less than or equal to 10" << true;
        QTest::newRow("press on OK") << "txtGPI2Rtd"
                                     << "15"
                                     << "cmdOK"
                                     << "Value must be less than or equal to 10" << true;
        QTest::newRow("press on an option")
            << "txtGPIO3MaxRPM"
            << "500"
            << "optGPIO3Disable"
            << "Value must be greater than or equal to 1000" << false;
        QTest::newRow("click on OK, nothing to correct") << "txtGPI2Rtd"
                                                         << "5"
                                                         << "click cmdOK"
                                                         << "" << true;
    }
    void gpioLeavingABoxChecksIt() {
        QFETCH(QString, box);
        QFETCH(QString, entry);
        QFETCH(QString, via);
        QFETCH(QString, message);
        QFETCH(bool, closed);
        Rig r;
        r.image.GPIO3Mode = 2;  // RPM window: its boxes enabled
        frmGPIOParams d(r.ctx);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        auto* edit = child<QLineEdit>(d, qPrintable(box));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, entry);
        if (via == "Tab" || via == "Return") {
            QTest::keyClick(edit, via == "Tab" ? Qt::Key_Tab : Qt::Key_Return);
        } else if (via.startsWith("click ")) {
            QTest::mouseClick(child<QAbstractButton>(d, qPrintable(via.mid(6))), Qt::LeftButton);
        } else {
            auto* button = child<QAbstractButton>(d, qPrintable(via));  // on its caption
            QTest::mousePress(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
        }
        QCoreApplication::processEvents();
        QCOMPARE(r.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(!edit->hasFocus() || closed);
        QCOMPARE(!d.isVisible(), closed);
        if (via == "optGPIO3Disable") QCOMPARE(r.image.GPIO3Mode, uint8_t(0));
        if (box == "txtGPI2Rtd")
            QCOMPARE(r.image.GPI2Retard, int16_t(entry == "15" ? 114 : 57));
        else
            QCOMPARE(r.image.GPIO3MaxRPM, int16_t(1000));
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
