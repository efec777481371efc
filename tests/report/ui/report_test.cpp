#include "data/config_image.h"
#include "report/ui/report_painter.h"

#include <QFontMetricsF>
#include <QtTest>

using namespace velo;

namespace {

const QSizeF kA4Landscape(16838, 11906);

struct Built {
    QVector<ReportPage> pages;
    QStringList lines;  // the parameters sheet's lines, as text
    std::shared_ptr<const ReportTables> tables;
};

// The 3D grid's labels as the window last set them up: 2 bar, whatever MAPSensor says.
Built build(const ConfigImage& image, const QString& comment = {}) {
    ReportInput in;
    in.image = &image;
    in.makerName = "Orvane";
    in.firmwareId = image.BufferEmpty ? "" : "IGX-1 V2.1";
    in.printed = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    in.comment = comment;
    in.mapLabels = 1;
    auto tables = std::make_shared<const ReportTables>(in);
    Built b{buildReport(in, *tables, kA4Landscape), {}, tables};
    for (const ReportLine& l : b.pages.last().lines) b.lines << l.text();
    return b;
}

QString at(int column, const QString& text) {
    return QString(column - 1, ' ') + text;
}

QString pair(const QString& label, const QString& value) {
    return (QString(9, ' ') + label).leftJustified(49) + value;
}

}  // namespace

class ReportTest : public QObject {
    Q_OBJECT
  private slots:
    void startupValuesPrintOneSheetWithTheHeadingTwice() {
        ConfigImage im;
        const Built b = build(im);
        QCOMPARE(b.pages.size(), 1);
        QVERIFY(!b.pages[0].chart);
        const QDateTime printed(QDate(2026, 3, 4), QTime(5, 6, 7));
        const QString heading = at(10, "Orvane IGX-1 Data Printed: " + reportDateTime(printed));
        QVERIFY(!heading.contains(printed.timeZoneAbbreviation()));
        QStringList expected{heading, heading, ""};
        expected << at(10, "Firmware ID:") << "" << at(10, "Module Parameters") << ""
                 << at(10, "General Options") << at(50, "8 Cylinder Engine")
                 << pair("Timing Functions Disabled:", "False")
                 << pair("Automatic Start Retard Enabled:", "False")
                 << pair("Cranking Pulses:", " 2") << pair("Retard Compensation (Deg):", "0.0")
                 << "" << at(10, "Timing Table Options") << at(10, "Timing Table Disabled") << ""
                 << at(10, "General Purpose Input/Ouput Parameters")
                 << at(10, "GPI1 Digital Retard") << pair("Retard (Deg):", "2") << ""
                 << at(10, "GPI2 Digital Retard") << pair("Retard (Deg):", "3") << ""
                 << at(10, "GPIO3 Digital Retard") << pair("Retard (Deg):", "4");
        QCOMPARE(b.lines, expected);
        // The heading once at the top, once where the parameters start.
        QCOMPARE(b.pages[0].lines[0].topTwips, 500);
        QCOMPARE(b.pages[0].lines[1].topTwips, 2000);
        QCOMPARE(b.pages[0].lines[1].row, 0);
    }

    void parameterLinesFollowTheirRules_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("present");
        QTest::newRow("RetardComp 17 is 1.5")
            << "RetardComp" << 17 << QStringList{pair("Retard Compensation (Deg):", "1.5")};
        QTest::newRow("StartRetard 57 is 5")
            << "StartRetard" << 57
            << QStringList{pair("Automatic Start Retard Enabled:", "True"),
                           pair("Start Retard (Deg):", "5")};
        QTest::newRow("GPI1 0x21 is analog")
            << "GPI1Mode" << 0x21
            << QStringList{at(10, "GPI1 Analog Retard"), pair("NOS Retard (Deg):", "2")};
        QTest::newRow("GPI1 0 disabled") << "GPI1Mode" << 0 << QStringList{at(10, "GPI1 Disabled")};
        QTest::newRow("GPI2 0x12 disabled")
            << "GPI2Mode" << 0x12 << QStringList{at(10, "GPI2 Disabled")};
        QTest::newRow("GPIO3 window")
            << "GPIO3Mode" << 2
            << QStringList{at(10, "GPIO3 RPM Window Switch"), pair("Minimum RPM:", "3000"),
                           pair("Maximum RPM:", "6000")};
        QTest::newRow("GPIO3 3 disabled")
            << "GPIO3Mode" << 3 << QStringList{at(10, "GPIO3 Disabled")};
        QTest::newRow("timing off, 6 cyl, crank 12")
            << "Options" << 0
            << QStringList{pair("Timing Functions Disabled:", "True"), at(50, "6 Cylinder Engine"),
                           pair("Cranking Pulses:", " 12")};
    }
    void parameterLinesFollowTheirRules() {
        QFETCH(QString, field);
        QFETCH(int, value);
        QFETCH(QStringList, present);
        ConfigImage im;
        if (field == "RetardComp") im.RetardComp = int16_t(value);
        if (field == "StartRetard") im.StartRetard = int16_t(value);
        if (field == "GPI1Mode") im.GPI1Mode = uint8_t(value);
        if (field == "GPI2Mode") im.GPI2Mode = uint8_t(value);
        if (field == "GPIO3Mode") im.GPIO3Mode = uint8_t(value);
        if (field == "Options") {
            im.TimingEnable = false;
            im.Cyl4 = im.Cyl6 = true;
            im.CrankPulses = 12;
        }
        const QStringList lines = build(im).lines;
        for (const QString& l : present) QVERIFY2(lines.contains(l), qPrintable(l));
    }

    // Sheets per table mode, the comment under every heading, the 8-character fields.
    void tableSections_data() {
        QTest::addColumn<int>("mode");  // 2 or 3
        QTest::addColumn<QString>("comment");
        QTest::addColumn<int>("mapSensor");
        QTest::newRow("2D") << 2 << "" << 0;
        QTest::newRow("2D commented") << 2 << "SN 4711" << 0;
        QTest::newRow("3D, MAPSensor 7") << 3 << "" << 7;
        QTest::newRow("3D 3 bar commented") << 3 << "SN 4711" << 2;
    }
    void tableSections() {
        QFETCH(int, mode);
        QFETCH(QString, comment);
        QFETCH(int, mapSensor);
        ConfigImage im;
        im.Table2DEnabled = mode == 2;
        im.Table3DEnabled = mode == 3;
        im.MAPSensor = uint8_t(mapSensor);
        im.Table2D(3, 1) = 12.5;
        im.Table3D(21, 1) = 7.25;  // grid row 8, last column
        const Built b = build(im, comment);
        QCOMPARE(b.pages.size(), 3);
        QCOMPARE(b.pages[0].chart, mode == 2 ? TableKind::Table2D : TableKind::Table3D);
        QVERIFY(b.lines.contains(at(10, QString("%1D Timing Table Enabled").arg(mode))));
        QCOMPARE(b.pages[0].chartTwips, QRectF(0, 1000, 16838, 10906));
        QVERIFY(!b.pages[1].chart && !b.pages[2].chart);

        const QStringList table = reportText({b.pages[1]});
        const int gridRows = mode == 2 ? 2 : 9;
        QCOMPARE(table.size(), (comment.isEmpty() ? 5 : 6) + 2 * gridRows + 2);
        QCOMPARE(table[comment.isEmpty() ? 3 : 4], at(10, "Timing Table"));
        const int first = comment.isEmpty() ? 5 : 6;
        for (int i = 0; i < gridRows; ++i) {
            QCOMPARE(table[first + i].size(), 9 + 12 * 8);
            QCOMPARE(table[first + gridRows + 2 + i].size(), 9 + 11 * 8);
        }
        if (mode == 2) {
            QCOMPARE(table[first], at(10, "     RPM       0     500    1000    1500") +
                                       "    2000    2500    3000    3500    4000    4500    5000");
            QVERIFY(table[first + 1].startsWith(at(10, "     ADV     0.0     0.0    12.5")));
        } else {
            QCOMPARE(table[first].left(17), at(10, " MAP/RPM"));
            QCOMPARE(table[first + 1].left(17), at(10, "      18"));  // as the chart's axis
            QCOMPARE(b.pages[0].mapSensor, 1);
            QVERIFY(table.last().endsWith("     7.3"));
            QVERIFY(
                b.lines.contains(at(10, mapSensor == 2 ? "3 bar MAP Sensor" : "1 bar MAP Sensor")));
        }
        QCOMPARE(table[first + gridRows + 2].mid(9, 16),
                 reportField(mode == 2 ? "RPM" : "MAP/RPM") + "    5500");
        // Every heading has the comment right under it (the table sheet after a blank).
        QCOMPARE(reportText(b.pages).filter("Serial/Comment"),
                 QStringList(comment.isEmpty() ? 0 : 3, at(10, "Serial/Comment: " + comment)));
        // A typed text longer than its field keeps its start.
        QCOMPARE(reportField("123456789abc"), "12345678");
    }

    // The table's columns only line up in a fixed-pitch font.
    void fontIsFixedPitchAtEightPoints() {
        const QFont f = reportFont();
        const QFontMetricsF fm(f);
        QCOMPARE(fm.horizontalAdvance("iiii"), fm.horizontalAdvance("WW.0"));
        QCOMPARE(f.pointSize(), 8);
    }

    // The chart fills its rectangle below the heading; the text stays above it.
    void chartIsDrawnIntoItsRectangle() {
        ConfigImage im;
        im.Table3DEnabled = true;
        const Built b = build(im);
        const QImage img =
            reportPageImage(b.pages[0], {b.tables.get(), {}, std::nullopt}, kA4Landscape, 60);
        auto inked = [&](int top, int bottom) {
            int n = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != qRgb(255, 255, 255);
            return n;
        };
        const int chartTop = 1000 * 60 / 1440;
        QVERIFY(inked(0, chartTop) > 0);
        QVERIFY(inked(chartTop, img.height()) > img.width() * img.height() / 20);
        // A view the user turned to is the one printed.
        const ReportCharts turned{b.tables.get(), {}, ViewAngles{60, 10}};
        QVERIFY(reportPageImage(b.pages[0], turned, kA4Landscape, 60) != img);
    }
};

QTEST_MAIN(ReportTest)
#include "report_test.moc"
