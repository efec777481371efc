#include "chart/chart2d_geometry.h"

#include <QtTest>

using namespace velo;

namespace {
// 50 pixels a column from x = 125 (0 RPM) to 1125 (10000 RPM); 15 pixels a degree from
// y = 440 (6 degrees) up to 50 (32 degrees), the scale for limits 8..30 at 30-pixel ticks.
Chart2DGeometry sample() {
    return Chart2DGeometry(QRectF(100, 50, 1050, 390), 8, 30, QSizeF(100, 30));
}
}  // namespace

class Chart2DGeometryTest : public QObject {
    Q_OBJECT
  private slots:
    void niceScaleCoversTheRangeInReadableSteps_data() {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<int>("maxTicks");
        QTest::addColumn<QVector<double>>("ticks");
        QTest::newRow("room for fives")
            << 7.5 << 30.5 << 7 << QVector<double>{5, 10, 15, 20, 25, 30, 35};
        QTest::newRow("not for twos")
            << 7.5 << 30.5 << 13 << QVector<double>{5, 10, 15, 20, 25, 30, 35};
        QTest::newRow("negative lower limit")
            << -12.5 << 10.5 << 6 << QVector<double>{-20, -10, 0, 10, 20};
        QTest::newRow("tenths as decimals")
            << 0.0 << 0.65 << 8 << QVector<double>{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7};
        QTest::newRow("empty range widened") << 5.0 << 5.0 << 3 << QVector<double>{4, 5, 6};
        QTest::newRow("two ticks asked across 0")
            << -12.5 << 10.5 << 2 << QVector<double>{-20, 0, 20};
        QTest::newRow("a pasted pair whose difference overflows")
            << -1e308 << 1e308 << 3 << QVector<double>{-1e300, 0, 1e300};
    }
    void niceScaleCoversTheRangeInReadableSteps() {
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(int, maxTicks);
        QFETCH(QVector<double>, ticks);
        const AxisScale s = niceScale(lo, hi, maxTicks);
        QCOMPARE(s.ticks(), ticks);  // exact: 0.3 is not 0.30000000000000004
        QCOMPARE(s.decimals(), s.step < 1 ? 1 : 0);
    }

    void valuesMapToPixelsAndBack() {
        const Chart2DGeometry g = sample();
        QCOMPARE(g.advanceAxis().step, 2.0);
        QCOMPARE(g.rpmAxis().step, 1000.0);
        QCOMPARE(g.point(1, 6), QPointF(125, 440));
        QCOMPARE(g.point(6, 20), QPointF(375, 230));
        QCOMPARE(g.point(21, 32), QPointF(1125, 50));
        QCOMPARE(g.rpmAt(375), 2500.0);
        QCOMPARE(g.advanceAt(230), 20.0);
    }

    void pickMeasuresBothDirections_data() {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QString>("pick");  // region series/point distance, and if taken
        // Table at 20 (y 230) except point 6 at 26 (y 140) and point 21 at 30, on the limit
        // line (y 80).
        QTest::newRow("on the point") << QPointF(375, 140) << "-100 1/6 0 taken";
        QTest::newRow("14 above") << QPointF(375, 126) << "-100 1/6 14 taken";
        QTest::newRow("15 above") << QPointF(375, 125) << "-100 1/6 15";
        QTest::newRow("15 left") << QPointF(360, 140) << "-100 1/6 15";
        QTest::newRow("9 and 12 diagonally") << QPointF(384, 128) << "-100 1/6 15";
        QTest::newRow("nearer the limit line") << QPointF(425, 90) << "-100 2/7 10";
        QTest::newRow("left of the frame") << QPointF(99, 230) << "0 1/1 26";
        QTest::newRow("on the frame") << QPointF(100, 230) << "-100 1/1 25";
        // A cell at the trigger timing must stay draggable.
        QTest::newRow("a tie goes to the table") << QPointF(1125, 80) << "-100 1/21 0 taken";
    }
    void pickMeasuresBothDirections() {
        QFETCH(QPointF, at);
        QFETCH(QString, pick);
        QVector<double> table(21, 20.0), limit(21, 30.0);
        table[5] = 26;
        table[20] = 30;
        const ChartPick p = sample().pick(at, table, limit);
        QCOMPARE(QString::asprintf("%d %d/%d %g%s", p.region, p.series, p.point, p.distance,
                                   p.takesPoint() ? " taken" : ""),
                 pick);
    }
};

QTEST_APPLESS_MAIN(Chart2DGeometryTest)
#include "chart2d_geometry_test.moc"
