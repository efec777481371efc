#include "chart/ui/chart2d_widget.h"

#include "chart/ui/chart2d_painter.h"
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

// A 2D table open on a chart on the offscreen screen: every cell at 20 but point 6, the
// one the tests drag, at `value6`.
struct ChartRig {
    ConfigImage image;
    std::unique_ptr<TableSession> session;
    Chart2DWidget chart;

    explicit ChartRig(int trigTiming, double value6 = 20) {
        image.TrigTiming = int16_t(trigTiming);
        for (int k = 1; k <= 21; ++k) {
            image.Table2D(k, 1) = k == 6 ? value6 : 20;
            image.Table2D(k, 2) = trigTiming;
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
// seen through a template that fixes the view.
struct Chart3DRig {
    QTemporaryDir dir;
    ConfigImage image;
    std::unique_ptr<TableSession> session;
    Chart3DWidget chart;

    explicit Chart3DRig(const QString& view = "view.rotation = 20\nview.elevation = 30\n") {
        image.TrigTiming = 30;
        for (int k = 1; k <= 21; ++k)
            for (int m = 1; m <= 8; ++m) image.Table3D(k, m) = 20;
        session = std::make_unique<TableSession>(TableKind::Table3D, image);
        if (!chart.loadTemplate(test::writeFile(dir.filePath("test.oc3"), view.toUtf8())))
            qFatal("test template");
        chart.resize(1000, 640);
        chart.setSession(session.get());
        chart.show();
    }
    QPoint at(int x, int y, double value) const {
        return chart.chartGeometry().project(x, y, value).toPoint();
    }
};

}  // namespace

class ChartWidgetsTest : public QObject {
    Q_OBJECT
  private slots:
    void dragMovesOnTheGridWithinTheLimits_data() {
        QTest::addColumn<int>("trigTiming");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("pixelsUp");
        QTest::addColumn<double>("value");
        QTest::newRow("2 up") << 30 << 10.0 << 2 << 10.2;
        QTest::newRow("above the trigger timing") << 30 << 29.0 << 40 << 30.0;
        QTest::newRow("lower limit before 0") << 10 << 2.0 << -170 << -12.0;
        QTest::newRow("a pasted 1e308, drawn on the edge") << 30 << 1e308 << 2 << 30.0;
    }
    // The arithmetic is the table's (tested there); here: the press gives the start and
    // the origin, up is more, the limits apply, and the cell takes the value's "#0.0"
    // text at the release only.
    void dragMovesOnTheGridWithinTheLimits() {
        QFETCH(int, trigTiming);
        QFETCH(double, start);
        QFETCH(int, pixelsUp);
        QFETCH(double, value);
        ChartRig r(trigTiming, start);
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
        QTest::newRow("outside the plot area") << left << 0 << "corner" << false;
        QTest::newRow("on the limit line") << left << 0 << "limit 8" << false;
    }
    // A right or Shift press neither picks nor clears; a plain press that takes nothing
    // clears the pick, so the drag that follows changes nothing.
    void pressesThatTakeNoPoint() {
        QFETCH(int, button);
        QFETCH(int, keys);
        QFETCH(QString, where);
        QFETCH(bool, keepsPick);
        ChartRig r(30);
        r.session->setValue(1, 8, 24);  // its press lies higher than the last one
        QTest::mouseClick(&r.chart, Qt::LeftButton, {}, r.at(6));
        const Chart2DGeometry g = r.chart.chartGeometry();
        const QPoint press = where == "point 8"   ? r.at(8)
                             : where == "between" ? QPointF(g.x(3750), g.y(24)).toPoint()
                             : where == "limit 8" ? g.point(8, 30).toPoint()
                                                  : QPoint(2, 2);
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

    // A double click cancels the rest of the gesture on both charts; the next release
    // anywhere ends the cancel.
    void doubleClickCancelsTheGesture() {
        ChartRig r(30);
        ChartDragState shared;
        Chart2DWidget other;
        r.chart.setDragState(&shared);
        other.setDragState(&shared);
        QTest::mouseClick(&r.chart, Qt::LeftButton, {}, r.at(6));
        r.session->setText(1, 6, "typed");
        QTest::mouseDClick(&r.chart, Qt::LeftButton, {}, r.at(6));
        QVERIFY(shared.IgnoreChartMouse);
        QTest::mouseMove(&r.chart, r.at(6) - QPoint(0, 10));
        QCOMPARE(r.session->value(1, 6), 20.0);
        QTest::mouseRelease(&other, Qt::LeftButton);
        QVERIFY(!shared.IgnoreChartMouse);
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
        ChartRig r(30);
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
        ChartRig r(30, 14.2);
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
        const Chart3DContent content3D = Chart3DContent::of(*r3.session, 0, r3.chart.valueLabel());
        QPainter p3(&page3D);
        paintChart3D(p3, page3D.rect(), r3.chart.look(), content3D, r3.chart.view());
        p3.end();
        const QPointF onPage3D =
            chart3DGeometry(page3D.rect(), &page3D, r3.chart.look(), content3D, r3.chart.view())
                .project(7, 2, 20);
        QCOMPARE(page3D.pixelColor(onPage3D.toPoint()), r3.chart.look().labelBackground);
        QCOMPARE(r3.chart.grab().toImage().pixelColor(r3.at(7, 2, 20)),
                 r3.chart.look().labelBackground);
        // However small it is laid out, and whatever a paste put in, the chart still draws
        // with an axis near the limits.
        r3.session->setValue(1, 1, -1e308);
        r3.session->setValue(1, 2, 1e308);
        const Chart3DContent pasted = Chart3DContent::of(*r3.session, 0);
        QImage tiny(30, 20, QImage::Format_ARGB32);
        tiny.fill(Qt::magenta);
        QPainter tp(&tiny);
        paintChart3D(tp, tiny.rect(), r3.chart.look(), pasted, r3.chart.view());
        QCOMPARE(tiny.pixelColor(0, 0), r3.chart.look().background);
        QVERIFY(chart3DGeometry(tiny.rect(), &tiny, r3.chart.look(), pasted, r3.chart.view())
                    .advanceAxis()
                    .max < 1000);
    }
};

QTEST_MAIN(ChartWidgetsTest)
#include "chart_widgets_test.moc"
