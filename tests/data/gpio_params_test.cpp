#include "data/gpio_params.h"

#include "support/model_rig.h"

#include <QTest>

using namespace velo;
using Box = GPIOParamsForm::Box;

namespace {

struct Rig : test::ModelRig {
    GPIOParamsForm form{ctx};
};

}  // namespace

class GPIOParamsTest : public QObject {
    Q_OBJECT
  private slots:
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
        Rig r;
        uint8_t& mode = group == 1   ? r.image.GPI1Mode
                        : group == 2 ? r.image.GPI2Mode
                                     : r.image.GPIO3Mode;
        mode = uint8_t(loaded);
        r.form.Form_Load();
        const auto& v = r.form.view();
        QCOMPARE(group == 1 ? v.gpi1Mode : group == 2 ? v.gpi2Mode : v.gpio3Mode, shown);
        QCOMPARE(int(mode), afterLoad);
    }

    void choosingModes() {
        Rig r;
        r.image.GPI1Mode = 0x52;
        r.form.Form_Load();
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
        row("letters", rtd, "abc", {0}, "0");
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
            Rig r;
            r.form.Form_Load();
            r.form.validate(b, entry);
            const ConfigImage& i = r.image;
            const auto& v = r.form.view();
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

QTEST_GUILESS_MAIN(GPIOParamsTest)
#include "gpio_params_test.moc"
