#include "chart/chart3d_gestures.h"
#include "chart/ui/chart2d_painter.h"
#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_painter.h"
#include "chart/ui/chart3d_widget.h"
#include "data/config_image.h"
#include "support/files.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

Q_DECLARE_METATYPE(velo::ViewAngles)

namespace {

// 50 pixels a column from x = 125 (0 RPM) to 1125 (10000 RPM); 15 pixels a degree from
// y = 440 (6 degrees) up to 50 (32 degrees), the scale for limits 8..30 at 30-pixel ticks.
Chart2DGeometry sample() {
    return Chart2DGeometry(QRectF(100, 50, 1050, 390), 8, 30, QSizeF(100, 30));
}

// The test template: seen square from the front, tilted 30 degrees, a box half as deep
// and half as high as wide. Fitted into 800 x 600 over advances 5..30 it puts column k
// at x = 40 (k - 1) and advance z of MAP index y at
//   pixel y = 600 - 16 (z - 5) - 200 (y - 1) / 7,
// 16 pixels a degree: MAP index 8 (grid row 1) at 400 - 16 (z - 5).
const char* kTestTemplate =
    "view.rotation = 0\nview.elevation = 30\nbox.depth = 0.5\nbox.height = 0.5\n";

Chart3DGeometry testGeometry() {
    QTemporaryDir dir;
    const ChartLook look =
        loadChartLook(test::writeFile(dir.filePath("test.oc3"), kTestTemplate)).value();
    const QRectF plot(0, 0, 800, 600);
    return Chart3DGeometry(plot, plot, {look.rotation, look.elevation},
                           {look.boxDepth, look.boxHeight}, AxisScale{5, 30, 5});
}

QPoint at(int k, int y, double value) {
    return testGeometry().project(k, y, value).toPoint();
}

// A 3D table open with every cell at `value`, and the chart's state around it.
struct Rig {
    ConfigImage image;
    std::unique_ptr<TableSession> table;
    ChartDragState drag;
    Chart3DLabel label;
    Chart3DGeometry g = testGeometry();
    Chart3DGestures gestures{drag, *table, label};

    static std::unique_ptr<TableSession> open(ConfigImage& image, int trigTiming, double value) {
        image.TrigTiming = int16_t(trigTiming);
        for (int k = 1; k <= 21; ++k)
            for (int m = 1; m <= 8; ++m) image.Table3D(k, m) = value;
        return std::make_unique<TableSession>(TableKind::Table3D, image);
    }
    Rig(int trigTiming, double value) : table(open(image, trigTiming, value)) {}

    std::optional<GridCell> press(QPoint p, Qt::KeyboardModifiers keys = {},
                                  Qt::MouseButton b = Qt::LeftButton) {
        return gestures.press(g, b, b, keys, p);
    }
    void release(Qt::KeyboardModifiers keys = {}) {
        gestures.release(Qt::LeftButton, Qt::NoButton, keys);
    }
};

// A 2D table open on a chart on the offscreen screen, trigger timing 30: every cell at 20
// but point 6, the one the tests drag, at `value6`.
struct ChartRig {
    ConfigImage image;
    std::unique_ptr<TableSession> session;
    Chart2DWidget chart;

    explicit ChartRig(double value6 = 20) {
        image.TrigTiming = 30;
        for (int k = 1; k <= 21; ++k) {
            image.Table2D(k, 1) = k == 6 ? value6 : 20;
            image.Table2D(k, 2) = 30;
        }
        session = std::make_unique<TableSession>(TableKind::Table2D, image);
        chart.resize(900, 420);
        chart.setSession(session.get());
        chart.show();
    }
    // The point's pixel, never above the frame: a point drawn on the top edge is taken
    // by a press on its marker inside the frame.
    QPoint at(int col) const {
        const QPointF p = chart.chartGeometry().point(col, session->value(1, col));
        return {qRound(p.x()), int(std::ceil(p.y()))};
    }
    void drag(int col, int pixelsUp) {
        QTest::mousePress(&chart, Qt::LeftButton, {}, at(col));
        QTest::mouseMove(&chart, at(col) - QPoint(0, pixelsUp));
    }
};

// A 3D table on a chart on the offscreen screen, every cell at 20, trigger timing 30,
// seen through a template that fixes the view at 20 degrees turned, 30 tilted.
struct Chart3DRig {
    QTemporaryDir dir;
    ConfigImage image;
    std::unique_ptr<TableSession> session;
    Chart3DWidget chart;

    Chart3DRig() : session(Rig::open(image, 30, 20)) {
        const QString file = dir.filePath("test.oc3");
        test::writeFile(file, "view.rotation = 20\nview.elevation = 30\n");
        if (!chart.loadTemplate(file)) qFatal("test template");
        chart.resize(1000, 640);
        chart.setSession(session.get());
        chart.show();
    }
    QPoint at(int x, int y, double value) const {
        return chart.chartGeometry().project(x, y, value).toPoint();
    }
};

}  // namespace

// The charts' arithmetic on its own, then on widgets driven by real events.
class ChartTest : public QObject {
    Q_OBJECT
  private slots:
    void niceScaleCoversTheRangeInReadableSteps_data() {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<int>("maxTicks");
        QTest::addColumn<QVector<double>>("ticks");
        auto row = [](const char* name, double lo, double hi, int maxTicks, QVector<double> t) {
            QTest::newRow(name) << lo << hi << maxTicks << t;
        };
        row("room for fives", 7.5, 30.5, 7, {5, 10, 15, 20, 25, 30, 35});
        row("not for twos", 7.5, 30.5, 13, {5, 10, 15, 20, 25, 30, 35});
        row("negative lower limit", -12.5, 10.5, 6, {-20, -10, 0, 10, 20});
        row("tenths as decimals", 0, 0.65, 8, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7});
        row("empty range widened", 5, 5, 3, {4, 5, 6});
        row("two ticks asked across 0", -12.5, 10.5, 2, {-20, 0, 20});
        row("a pasted pair whose difference overflows", -1e308, 1e308, 3, {-1e300, 0, 1e300});
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
    // The projection and its inverse, by hand from the test template.
    void projectionAndMap() {
        const Chart3DGeometry g = testGeometry();
        QCOMPARE(g.project(1, 8, 5), QPointF(0, 400));
        QCOMPARE(g.project(21, 1, 30), QPointF(800, 200));
        QCOMPARE(g.project(11, 1, 20), QPointF(400, 360));
        QCOMPARE(g.map(11, 8, 216), 16.5);
        QCOMPARE(g.map(3, 1, 416), 16.5);
        QCOMPARE(g.map(11, 8, -80), 35.0);  // beyond the axis: the line goes on
    }

    void pickTakesTheNearestPointWithin15Pixels_data() {
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<QString>("pick");  // region (x, y), and whether a press takes it
        // Every cell at 20 but (11, 4) at 30: rows 200 / 7 pixels apart, columns 40.
        QTest::newRow("front left corner") << QPointF(0, 360) << "-100 (1, 1) taken";
        QTest::newRow("back right corner") << QPointF(800, 160) << "-100 (21, 8) taken";
        QTest::newRow("left edge, row 5") << QPointF(0, 246) << "-100 (1, 5) taken";
        QTest::newRow("14 below the front edge") << QPointF(400, 374) << "-100 (11, 1) taken";
        QTest::newRow("15 below the front edge") << QPointF(400, 375) << "-100 (11, 1)";
        QTest::newRow("left of the plot area") << QPointF(-1, 360) << "0 (1, 1)";
        QTest::newRow("a raised point at its height") << QPointF(400, 114) << "-100 (11, 4) taken";
    }
    void pickTakesTheNearestPointWithin15Pixels() {
        QFETCH(QPointF, pos);
        QFETCH(QString, pick);
        QVector<double> values(168, 20.0);
        values[(4 - 1) * 21 + 11 - 1] = 30;
        const Chart3DPick p = testGeometry().pick(pos, values);
        QCOMPARE(QString::asprintf("%d (%d, %d)%s", p.region, p.xIndex, p.yIndex,
                                   p.takesPoint() ? " taken" : ""),
                 pick);
    }

    void plainDragRoundsAndLimits_data() {
        QTest::addColumn<int>("trigTiming");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("z");
        QTest::addColumn<double>("value");
        QTest::newRow("82.5 to even 82") << 30 << 20.0 << 16.5 << 16.4;
        QTest::newRow("87.5 to even 88") << 30 << 20.0 << 17.5 << 17.6;
        QTest::newRow("above the trigger timing") << 30 << 20.0 << 35.0 << 30.0;
        QTest::newRow("below 0 is allowed") << 10 << 2.0 << -5.0 << -5.0;
        QTest::newRow("down to the lower limit") << 10 << 2.0 << -15.0 << -12.0;
    }
    // The point takes the height under the mouse, on the 0.2 grid, within the limits;
    // its grid cell takes the text at the release only.
    void plainDragRoundsAndLimits() {
        QFETCH(int, trigTiming);
        QFETCH(double, start);
        QFETCH(double, z);
        QFETCH(double, value);
        Rig r(trigTiming, start);
        r.table->setValue(8, 11, start + 10);  // MAP index 1: the pick reads rows right way up
        r.table->setText(1, 11, "typed");
        QCOMPARE(r.press(at(11, 8, start)), (GridCell{1, 11}));
        r.gestures.move(r.g, Qt::LeftButton, {}, QPoint(400, int(400 - 16 * (z - 5))));
        QCOMPARE(r.table->value(1, 11), value);
        QCOMPARE(r.label.xIndex, 11);
        QVERIFY(!r.label.text);  // the label shows the value
        QCOMPARE(r.table->text(1, 11), QString("typed"));
        r.release();
        QCOMPARE(r.table->text(1, 11), QString::number(value, 'f', 1));
        QVERIFY(!r.label.shown());
        QCOMPARE(r.table->value(2, 11), start);
    }

    void offsetDragAddsAtTheRelease_data() {
        QTest::addColumn<int>("trigTiming");
        QTest::addColumn<double>("cells");  // every cell but (5, 5), which starts at 20
        QTest::addColumn<double>("above");  // the mouse above the pressed point
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("after");
        QTest::newRow("20 above") << 35 << 20.0 << 20.0 << "5.0" << 25.0;
        QTest::newRow("20 below") << 35 << 20.0 << -20.0 << "-5.0" << 15.0;
        QTest::newRow("0.75 above: 1.5 to 2") << 35 << 20.0 << 0.75 << "0.4" << 20.4;
        QTest::newRow("0.25 above: 0.5 to even 0") << 35 << 20.0 << 0.25 << "0.0" << 20.0;
        QTest::newRow("+5 at the trigger timing") << 30 << 30.0 << 12.5 << "5.0" << 30.0;
        QTest::newRow("-5 stops at the lower limit") << 30 << 10.0 << -12.5 << "-5.0" << 8.0;
        QTest::newRow("a click: 0 brings a cell in") << 30 << 7.5 << 0.0 << "0.0" << 8.0;
    }
    // The label follows the mouse; nothing changes until the release, which adds the
    // offset to all 168 cells within the window.
    void offsetDragAddsAtTheRelease() {
        QFETCH(int, trigTiming);
        QFETCH(double, cells);
        QFETCH(double, above);
        QFETCH(QString, label);
        QFETCH(double, after);
        Rig r(trigTiming, cells);
        r.table->setValue(5, 5, 20);
        QCOMPARE(r.press(at(11, 8, cells), Qt::ShiftModifier), (GridCell{0, 0}));
        QCOMPARE(r.label.text.value_or("value"), QString("0.0"));
        r.gestures.move(r.g, Qt::LeftButton, Qt::ShiftModifier,
                        QPoint(400, int(400 - 16 * (cells - 5 + above))));
        QCOMPARE(r.label.text.value_or("value"), label);
        QCOMPARE(r.table->value(8, 21), cells);
        r.release(Qt::ShiftModifier);
        for (int row : {1, 8})
            for (int col : {1, 21}) {
                QCOMPARE(r.table->value(row, col), after);
                QCOMPARE(r.table->text(row, col), QString::number(after, 'f', 1));
            }
        QCOMPARE(r.table->value(5, 5), 20 + label.toDouble());
        QVERIFY(!r.label.shown());
    }

    void pressesThatKeepOrClearThePick_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("keys");
        QTest::addColumn<bool>("keepsPick");  // pressed on a point when it keeps the pick
        const int left = Qt::LeftButton, shift = Qt::ShiftModifier;
        QTest::newRow("Ctrl") << left << int(Qt::ControlModifier) << true;
        QTest::newRow("Alt") << left << int(Qt::AltModifier) << true;
        QTest::newRow("right button") << int(Qt::RightButton) << 0 << true;
        QTest::newRow("plain, far from every point") << left << 0 << false;
        QTest::newRow("Shift, far from every point") << left << shift << false;
    }
    // After a press that keeps the pick, a plain drag still moves the old point; after
    // one that clears it, nothing moves.
    void pressesThatKeepOrClearThePick() {
        QFETCH(int, button);
        QFETCH(int, keys);
        QFETCH(bool, keepsPick);
        Rig r(30, 20);
        r.press(at(11, 8, 20));
        r.release();
        r.press(keepsPick ? at(3, 3, 20) : QPoint(420, 20), Qt::KeyboardModifiers(keys),
                Qt::MouseButton(button));
        QCOMPARE(QPoint(r.drag.PickXIndex, r.drag.PickYIndex),
                 keepsPick ? QPoint(11, 8) : QPoint(0, 0));
        r.gestures.move(r.g, Qt::LeftButton, {}, QPoint(400, 400 - 16 * 20));
        QCOMPARE(r.table->value(1, 11), keepsPick ? 25.0 : 20.0);
        QCOMPARE(r.table->value(6, 3), 20.0);
    }

    // While the gesture is cancelled nothing happens; the release only ends the cancel.
    void aCancelledGestureDoesNothing() {
        Rig r(30, 20);
        r.press(at(11, 8, 20), Qt::ShiftModifier);
        r.drag.IgnoreChartMouse = true;
        r.gestures.move(r.g, Qt::LeftButton, Qt::ShiftModifier, QPoint(400, 0));
        QCOMPARE(r.drag.ShiftOffset, 0.0);
        r.release(Qt::ShiftModifier);
        QVERIFY(!r.drag.IgnoreChartMouse);
        QCOMPARE(r.table->value(1, 1), 20.0);
        QVERIFY(r.press(at(11, 8, 20)).has_value());
    }

    void dragMovesOnTheGrid_data() {
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("pixelsUp");
        QTest::addColumn<double>("value");
        QTest::newRow("2 up") << 10.0 << 2 << 10.2;
        QTest::newRow("a pasted 1e308, drawn on the edge") << 1e308 << 2 << 30.0;
    }
    // The arithmetic and the limits are the table's (tested there); here: the press gives
    // the start and the origin, up is more, and the cell takes the value's "#0.0" text at
    // the release only.
    void dragMovesOnTheGrid() {
        QFETCH(double, start);
        QFETCH(int, pixelsUp);
        QFETCH(double, value);
        ChartRig r(start);
        QVERIFY(r.chart.chartGeometry().advanceAxis().max < 1000);  // near the limits
        r.session->setText(1, 6, "typed");
        QSignalSpy picked(&r.chart, &Chart2DWidget::pointPicked);
        const QPoint from = r.at(6);
        r.drag(6, pixelsUp);
        QCOMPARE(picked, QList<QVariantList>{{6}});
        QCOMPARE(r.session->value(1, 6), value);
        QCOMPARE(r.chart.valueLabelPoint(), 6);
        QCOMPARE(r.session->text(1, 6), QString("typed"));
        QTest::mouseRelease(&r.chart, Qt::LeftButton, {}, from - QPoint(0, pixelsUp));
        QCOMPARE(r.session->text(1, 6), QString::number(value, 'f', 1));
        QCOMPARE(r.chart.valueLabelPoint(), 0);
        QVERIFY(
            r.chart.accessibleDescription().contains(QString("2500 RPM %1").arg(value, 0, 'f', 1)));
        // Press to release is one step; undo brings back the value and the typed text.
        QCOMPARE(r.session->undoStack()->count(), 1);
        r.session->undo();
        QCOMPARE(r.session->value(1, 6), start);
        QCOMPARE(r.session->text(1, 6), QString("typed"));
    }

    void pressesThatTakeNoPoint_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("keys");
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("keepsPick");
        const int left = Qt::LeftButton;
        QTest::newRow("right button") << int(Qt::RightButton) << 0 << "point 8" << true;
        QTest::newRow("Shift") << left << int(Qt::ShiftModifier) << "point 8" << true;
        QTest::newRow("Ctrl") << left << int(Qt::ControlModifier) << "point 8" << true;
        QTest::newRow("far from every point") << left << 0 << "between" << false;
        QTest::newRow("on the limit line") << left << 0 << "limit 8" << false;
    }
    // A right or Shift press neither picks nor clears; a plain press that takes nothing
    // clears the pick, so the drag that follows changes nothing.
    void pressesThatTakeNoPoint() {
        QFETCH(int, button);
        QFETCH(int, keys);
        QFETCH(QString, where);
        QFETCH(bool, keepsPick);
        ChartRig r;
        r.session->setValue(1, 8, 24);  // its press lies higher than the last one
        QTest::mouseClick(&r.chart, Qt::LeftButton, {}, r.at(6));
        const Chart2DGeometry g = r.chart.chartGeometry();
        const QPoint press = where == "point 8"   ? r.at(8)
                             : where == "between" ? QPointF(g.x(3750), g.y(24)).toPoint()
                                                  : g.point(8, 30).toPoint();
        QSignalSpy picked(&r.chart, &Chart2DWidget::pointPicked);
        QTest::mousePress(&r.chart, Qt::MouseButton(button), Qt::KeyboardModifiers(keys), press);
        const ChartDragState& d = r.chart.dragState();
        QCOMPARE(QPoint(d.PickSeries, d.PickPoint), keepsPick ? QPoint(1, 6) : QPoint());
        QCOMPARE(d.DragOriginY, press.y());
        QCOMPARE(picked.count(), 0);
        QTest::mouseRelease(&r.chart, Qt::MouseButton(button), Qt::KeyboardModifiers(keys), press);
        r.drag(6 + 2 * !keepsPick, 0);  // no press on point 6 again: a press elsewhere
        QCOMPARE(r.session->value(1, 6), 20.0);
        QTest::mouseRelease(&r.chart, Qt::LeftButton);
    }

    // A double click cancels the rest of the gesture (on both charts, as the right button
    // does on the 3D one); the next release ends the cancel.
    void doubleClickCancelsTheGesture() {
        ChartRig r;
        QTest::mouseClick(&r.chart, Qt::LeftButton, {}, r.at(6));
        r.session->setText(1, 6, "typed");
        QTest::mouseDClick(&r.chart, Qt::LeftButton, {}, r.at(6));
        QVERIFY(r.chart.dragState().IgnoreChartMouse);
        QTest::mouseMove(&r.chart, r.at(6) - QPoint(0, 10));
        QCOMPARE(r.session->value(1, 6), 20.0);
        QTest::mouseRelease(&r.chart, Qt::LeftButton);
        QVERIFY(!r.chart.dragState().IgnoreChartMouse);
        QCOMPARE(r.session->text(1, 6), QString("typed"));
    }

    void templateLoads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("loads");
        QTest::newRow("missing") << QString() << false;
        QTest::newRow("empty") << "# nothing\n" << false;
        QTest::newRow("unknown key") << "title = T\nlegend = on\n" << false;
        QTest::newRow("bad colour") << "title = T\ngrid.color = #12345\n" << false;
        QTest::newRow("bad size") << "title = T\nfont.size = big\n" << false;
        QTest::newRow("good") << "title = T\nseries2.style = dot\n" << true;
    }
    // A template that does not load leaves the look as it was; either way the label hides.
    void templateLoads() {
        QFETCH(QString, text);
        QFETCH(bool, loads);
        QTemporaryDir dir;
        const QString path = dir.filePath("IGX_2D_Timing_Chart.oc2");
        if (!text.isNull()) test::writeFile(path, text.toUtf8());
        ChartRig r;
        QVERIFY(r.chart.loadTemplate(VELO_SOURCE_DIR "/resources/IGX_2D_Timing_Chart.oc2"));
        QCOMPARE(r.chart.look().title, QString("Ignition Advance"));
        r.chart.showValueLabel(3);
        QCOMPARE(r.chart.loadTemplate(path), loads);
        QCOMPARE(r.chart.look().title, loads ? "T" : "Ignition Advance");
        QCOMPARE(r.chart.valueLabelPoint(), 0);
    }

    // Home: each test starts from the 3D template's view, which outlives its chart.
    void init() {
        Chart3DRig r;
        QTest::keyClick(&r.chart, Qt::Key_Home);
    }

    // Real events reach the gestures (whose arithmetic is tested there): the cell follows
    // the mouse and takes its text at the release.
    void plainDragMovesOnePoint() {
        Chart3DRig r;
        QSignalSpy picked(&r.chart, &Chart3DWidget::pointPicked);
        QTest::mousePress(&r.chart, Qt::LeftButton, {}, r.at(5, 3, 20));
        QCOMPARE(picked, (QList<QVariantList>{{6, 5}}));
        const QPoint to = r.at(5, 3, 24.4);
        QTest::mouseMove(&r.chart, to);
        QCOMPARE(r.session->value(6, 5), 24.4);  // a pixel is far less than a 0.2 step
        QTest::mouseRelease(&r.chart, Qt::LeftButton, {}, to);
        QCOMPARE(r.session->text(6, 5), QString("24.4"));
        QVERIFY(r.chart.accessibleDescription().contains("24.4"));
    }

    // The right button turns and tilts; starting it cancels the table gesture on both
    // charts until the next release. The view outlives the chart.
    void rightDragTurnsTheViewAndCancels() {
        ChartDragState shared;
        Chart2DWidget chart2D;
        chart2D.setDragState(&shared);
        ViewAngles turned;
        {
            Chart3DRig r;
            r.chart.setDragState(&shared);
            const QPoint from = r.at(11, 8, 20);
            QTest::mousePress(&r.chart, Qt::LeftButton, {}, from);
            QTest::mousePress(&r.chart, Qt::RightButton, {}, from);
            QVERIFY(shared.IgnoreChartMouse);
            QTest::mouseMove(&r.chart, from + QPoint(40, -20));
            turned = r.chart.view();
            QCOMPARE(turned, (ViewAngles{40, 20}));
            QCOMPARE(r.session->value(1, 11), 20.0);
            QTest::mouseRelease(&chart2D, Qt::LeftButton);
            QVERIFY(!shared.IgnoreChartMouse);
            QTest::mouseRelease(&r.chart, Qt::RightButton);
        }
        Chart3DRig again;
        QCOMPARE(again.chart.view(), turned);
        QTest::keyClick(&again.chart, Qt::Key_Home);
        QCOMPARE(again.chart.view(), (ViewAngles{20, 30}));
    }

    void arrowKeysTurnWithinTheTilt_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::addColumn<ViewAngles>("view");
        QTest::newRow("right") << int(Qt::Key_Right) << 2 << ViewAngles{30, 30};
        QTest::newRow("left past -180") << int(Qt::Key_Left) << 41 << ViewAngles{175, 30};
        QTest::newRow("up to the top") << int(Qt::Key_Up) << 20 << ViewAngles{20, 85};
        QTest::newRow("down to the floor edge") << int(Qt::Key_Down) << 20 << ViewAngles{20, 5};
    }
    void arrowKeysTurnWithinTheTilt() {
        QFETCH(int, key);
        QFETCH(int, presses);
        QFETCH(ViewAngles, view);
        Chart3DRig r;
        for (int i = 0; i < presses; ++i) QTest::keyClick(&r.chart, Qt::Key(key));
        QCOMPARE(r.chart.view(), view);
        // Every view keeps the points pickable where they are drawn.
        QSignalSpy picked(&r.chart, &Chart3DWidget::pointPicked);
        QTest::mouseClick(&r.chart, Qt::LeftButton, {}, r.at(21, 1, 20));
        QCOMPARE(picked.value(0), (QVariantList{8, 21}));
    }

    // The picture and the pick agree on where a point is, on screen and on a 300 dpi page.
    void pointsAreDrawnWhereTheyArePicked() {
        QImage page(3000, 2000, QImage::Format_ARGB32);
        page.setDotsPerMeterX(11811);
        page.setDotsPerMeterY(11811);
        QImage page3D = page;
        ChartRig r(14.2);
        r.chart.showValueLabel(6);  // filled in the series colour
        const Chart2DContent content = Chart2DContent::of(*r.session, 6);
        QPainter p(&page);
        paintChart2D(p, page.rect(), r.chart.look(), content);
        p.end();
        const QPointF onPage =
            chart2DGeometry(page.rect(), &page, r.chart.look(), content).point(6, 14.2);
        QCOMPARE(page.pixelColor(onPage.toPoint()), r.chart.look().series1);
        QCOMPARE(r.chart.grab().toImage().pixelColor(r.at(6)), r.chart.look().series1);
        Chart3DRig r3;
        r3.chart.showValueLabel(7, 2);
        const ChartLook& look = r3.chart.look();
        const ViewAngles view = r3.chart.view();
        const Chart3DContent content3D = Chart3DContent::of(*r3.session, 0, r3.chart.valueLabel());
        QPainter p3(&page3D);
        paintChart3D(p3, page3D.rect(), look, content3D, view);
        p3.end();
        const QPointF onPage3D =
            chart3DGeometry(page3D.rect(), &page3D, look, content3D, view).project(7, 2, 20);
        QCOMPARE(page3D.pixelColor(onPage3D.toPoint()), look.labelBackground);
        QCOMPARE(r3.chart.grab().toImage().pixelColor(r3.at(7, 2, 20)), look.labelBackground);
        // However small it is laid out, and whatever a paste put in, the chart still draws
        // with an axis near the limits.
        r3.session->setValue(1, 1, -1e308);
        r3.session->setValue(1, 2, 1e308);
        const Chart3DContent pasted = Chart3DContent::of(*r3.session, 0);
        QImage tiny(30, 20, QImage::Format_ARGB32);
        tiny.fill(Qt::magenta);
        QPainter tp(&tiny);
        paintChart3D(tp, tiny.rect(), look, pasted, view);
        QCOMPARE(tiny.pixelColor(0, 0), look.background);
        QVERIFY(chart3DGeometry(tiny.rect(), &tiny, look, pasted, view).advanceAxis().max < 1000);
    }
};

QTEST_MAIN(ChartTest)
#include "chart_test.moc"
