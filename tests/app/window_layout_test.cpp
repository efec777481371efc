#include "app/window_layout.h"
#include "table/grid_metrics.h"

#include <QtTest>

using namespace velo;

class WindowLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void chartsOverGridsFromTheOuterSize_data() {
        QTest::addColumn<double>("W");
        QTest::addColumn<double>("H");
        QTest::addColumn<QList<int>>("chart");
        QTest::addColumn<QList<int>>("grid");
        QTest::addColumn<int>("columnWidth");  // the grid's 22 columns, the header's with them
        QTest::newRow("12000 x 8000") << 12000.0 << 8000.0 << QList<int>{0, 0, 12000, 5600}
                                      << QList<int>{0, 5600, 11850, 1675} << 537;
        QTest::newRow("too low for a grid") << 12000.0 << 2000.0 << QList<int>{0, 0, 12000, 1400}
                                            << QList<int>{0, 1400, 11850, 0} << 537;
        QTest::newRow("too narrow for a grid")
            << 100.0 << 8000.0 << QList<int>{0, 0, 100, 5600} << QList<int>{0, 5600, 0, 1675} << -1;
        // 0.7 x 1005 = 703.5 and 0.3 x 1005 - 725 = -423.5: halves to the even neighbour.
        QTest::newRow("halves") << 150.5 << 1005.0 << QList<int>{0, 0, 150, 704}
                                << QList<int>{0, 704, 0, 0} << -1;
    }
    void chartsOverGridsFromTheOuterSize() {
        QFETCH(double, W);
        QFETCH(double, H);
        QFETCH(QList<int>, chart);
        QFETCH(QList<int>, grid);
        const FormLayout l = formLayout(W, H);
        auto list = [](const TwipsRect& r) { return QList<int>{r.left, r.top, r.width, r.height}; };
        QCOMPARE(list(l.chart), chart);
        QCOMPARE(list(l.grid), grid);
        QTEST(columnWidth(l.grid.width), "columnWidth");
    }
};

QTEST_APPLESS_MAIN(WindowLayoutTest)
#include "window_layout_test.moc"
