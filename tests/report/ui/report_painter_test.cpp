#include "report/ui/report_painter.h"
#include "data/config_image.h"

#include <QFontMetricsF>
#include <QtTest>

using namespace velo;

class ReportPainterTest : public QObject {
    Q_OBJECT
  private slots:
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
        ReportInput in;
        in.image = &im;
        in.makerName = "Orvane";
        const ReportTables tables(in);
        const QSizeF page(16838, 11906);
        const QVector<ReportPage> pages = buildReport(in, tables, page);
        const QImage img = reportPageImage(pages[0], {&tables, {}, std::nullopt}, page, 60);
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
        ReportCharts turned{&tables, {}, ViewAngles{60, 10}};
        QVERIFY(reportPageImage(pages[0], turned, page, 60) != img);
    }
};

QTEST_MAIN(ReportPainterTest)
#include "report_painter_test.moc"
