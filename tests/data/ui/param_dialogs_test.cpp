#include "data/ui/param_dialogs.h"
#include "support/dialogs.h"
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
using test::child;

namespace {

using Rig = test::ModelRig;

bool checked(QWidget& d, const char* name) {
    return child<QAbstractButton>(d, name)->isChecked();
}

}  // namespace

class ParamDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void modParamsShowsTheLoadedImage() {
        Rig r;
        ConfigImage& i = r.image;
        i.Table3DEnabled = i.Cyl4 = true, i.MAPSensor = 1, i.TrigTiming = 25;
        i.StartRetard = 46, i.RetardComp = 51, i.CrankPulses = 6;
        frmModParams d(r.ctx);
        d.show();
        QCOMPARE(d.windowTitle(), QString("Velo IGX - Edit Module Parameters"));
        QVERIFY(checked(d, "opt3DTimingTable") && checked(d, "optMAP2Bar") &&
                checked(d, "optCyl4") && checked(d, "chkStartRtd") &&
                !checked(d, "chkTimingDisable"));
        for (const char* frame : {"fraMAPSensor", "fraTrigTiming", "fraStartRtd"})
            QVERIFY2(child<QGroupBox>(d, frame)->isVisible(), frame);
        QStringList shown;
        for (const char* name : {"TrigTiming", "StartRetard", "CrankPulses", "RetardComp"}) {
            const QString slider = QString("sld") + name;
            const QString label = QString("lbl") + (slider == "sldStartRetard" ? "StartRtd" : name);
            shown << QString("%1 %2")
                         .arg(child<QSlider>(d, qPrintable(slider))->value())
                         .arg(child<QLabel>(d, qPrintable(label + "Val"))->text());
        }
        QCOMPARE(shown, (QStringList{"15 25", "6 4", "6 6", "1 4.5"}));
        // The thumb for position 0 is at the top, so Up raises the parameter.
        auto* comp = child<QSlider>(d, "sldRetardComp");
        QVERIFY(comp->invertedAppearance() && comp->invertedControls() && comp->maximum() == 10);
        QCOMPARE(child<QSlider>(d, "sldTrigTiming")->maximum(), 40);
    }

    void modParamsControlsEditTheModel() {
        Rig r;
        r.image.Table2D(3, 1) = 33;
        frmModParams d(r.ctx);
        d.show();
        QVERIFY(!child<QGroupBox>(d, "fraTrigTiming")->isVisible());
        child<QRadioButton>(d, "opt2DTimingTable")->click();
        QVERIFY(r.image.Table2DEnabled && r.state.menus().editTimingTable);
        QVERIFY(child<QGroupBox>(d, "fraTrigTiming")->isVisible() &&
                !child<QGroupBox>(d, "fraMAPSensor")->isVisible());
        child<QCheckBox>(d, "chkStartRtd")->click();
        QVERIFY(child<QGroupBox>(d, "fraStartRtd")->isVisible());
        auto* start = child<QSlider>(d, "sldStartRetard");
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Up);  // one degree more
        QCOMPARE(r.image.StartRetard, int16_t(11));
        QCOMPARE(child<QLabel>(d, "lblStartRtdVal")->text(), QString("1"));
        child<QSlider>(d, "sldTrigTiming")->setValue(20);
        QCOMPARE(child<QLabel>(d, "lblTrigTimingVal")->text(), QString("20"));
        // Nothing of the trigger timing reaches the image before OK.
        QVERIFY(r.image.TrigTiming == 30 && r.image.Table2D(3, 1) == 33.0 && r.image.BufferEmpty);
        // Escape does not close a form that has no Cancel.
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(d.isVisible());
        child<QPushButton>(d, "cmdOK")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(r.image.TrigTiming == 20 && r.image.Table2D(3, 1) == 20.0 && !r.image.BufferEmpty);
    }

    void gpioShowsTheLoadedImage() {
        Rig r;
        r.image.GPI1Mode = 0x51, r.image.GPI2Mode = 0, r.image.GPIO3Mode = 2;
        r.image.GPIO3MinRPM = 2500;
        frmGPIOParams d(r.ctx);
        d.show();
        QCOMPARE(d.windowTitle(),
                 QString("Velo IGX - Edit General Purpose Input/Ouput Parameters"));
        QVERIFY(checked(d, "optGPI1AnalogRtd") && checked(d, "optGPI2Disable") &&
                checked(d, "optGPIO3RPMSwitch"));
        QStringList boxes;
        for (const char* name :
             {"txtGPI1Rtd", "txtGPI2Rtd", "txtGPIO3Rtd", "txtGPIO3MinRPM", "txtGPIO3MaxRPM"}) {
            auto* box = child<QLineEdit>(d, name);
            boxes << box->text() + (box->isEnabled() ? "" : " off");
        }
        QCOMPARE(boxes, (QStringList{"2 off", "3 off", "4 off", "2500", "6000"}));
        child<QRadioButton>(d, "optGPI1DigitalRtd")->click();
        QVERIFY(child<QLineEdit>(d, "txtGPI1Rtd")->isEnabled() && r.image.GPI1Mode == 0x52);
    }

    // However the box is left, it is checked first and the way out still takes effect.
    void gpioLeavingABoxChecksIt_data() {
        QTest::addColumn<QString>("steps");  // box, entry, way out
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QList<int>>("stored");  // retard 1 and 2, maximum RPM
        const QString low = "Value must be greater than or equal to 1000";
        const QString high = "Value must be less than or equal to 10";
        auto row = [](const char* tag, const char* steps, const QString& message, bool closed,
                      const QList<int>& stored) {
            QTest::newRow(tag) << steps << message << closed << stored;
        };
        row("Tab", "txtGPIO3MaxRPM 500 Tab", low, false, {23, 34, 1000});
        row("Enter is OK", "txtGPI2Rtd 15 Return", high, true, {23, 114, 6000});
        row("press on OK", "txtGPI2Rtd 15 cmdOK", high, true, {23, 114, 6000});
        row("press on an option", "txtGPIO3MaxRPM 500 optGPIO3Disable", low, false, {23, 34, 1000});
        row("click on OK, nothing to correct", "txtGPI2Rtd 5 click", "", true, {23, 57, 6000});
        // Closed by its title bar button: the edit of the focused box is never checked.
        row("title bar close", "txtGPI1Rtd 25 close", "", true, {23, 34, 6000});
    }
    void gpioLeavingABoxChecksIt() {
        QFETCH(QString, steps);
        QFETCH(QString, message);
        QFETCH(bool, closed);
        QFETCH(QList<int>, stored);
        const QStringList s = steps.split(' ');
        const QString box = s[0], entry = s[1], via = s[2];
        Rig r;
        r.image.GPIO3Mode = 2;  // RPM window: its boxes enabled
        // A real message box takes the focus, and the pressed button forgets its press.
        r.ui.onShow = [](const auto&) {
            if (QWidget* w = QApplication::focusWidget()) w->clearFocus();
        };
        frmGPIOParams d(r.ctx);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        auto* edit = child<QLineEdit>(d, qPrintable(box));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, entry);
        if (via == "Tab" || via == "Return") {
            QTest::keyClick(edit, via == "Tab" ? Qt::Key_Tab : Qt::Key_Return);
        } else if (via == "close") {
            d.close();
        } else if (via == "click") {
            QTest::mouseClick(child<QAbstractButton>(d, "cmdOK"), Qt::LeftButton);
        } else {
            auto* button = child<QAbstractButton>(d, qPrintable(via));  // on its caption
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
        }
        QCoreApplication::processEvents();
        QCOMPARE(r.ui.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(!edit->hasFocus() || closed);
        QCOMPARE(!d.isVisible(), closed);
        if (via == "optGPIO3Disable") QCOMPARE(r.image.GPIO3Mode, uint8_t(0));
        QCOMPARE((QList<int>{r.image.GPI1Retard, r.image.GPI2Retard, r.image.GPIO3MaxRPM}), stored);
    }
};

QTEST_MAIN(ParamDialogsTest)
#include "param_dialogs_test.moc"
