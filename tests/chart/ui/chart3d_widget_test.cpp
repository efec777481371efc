#include "chart/ui/chart3d_widget.h"

#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_painter.h"
#include "data/config_image.h"
#include "support/files.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

Q_DECLARE_METATYPE(velo::ViewAngles)

namespace {

// A 3D table on a chart on the offscreen screen, every cell at 20, trigger timing 30,
// seen through a template that fixes the view.
struct ChartRig {
    QTemporaryDir dir;
    ConfigImage image;
    std::unique_ptr<TableSession> session;
    Chart3DWidget chart;

    explicit ChartRig(const QString& view = "view.rotation = 20\nview.elevation = 30\n") {
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

class Chart3DWidgetTest : public QObject {
    Q_OBJECT
  private slots:
    // Home: each test starts from the template's view.
    void init() {
        ChartRig r;
        QTest::keyClick(&r.chart, Qt::Key_Home);
    }

    // Real events reach the gestures (whose arithmetic is tested there): the cell follows
    // the mouse and takes its text at the release.
    void plainDragMovesOnePoint() {
        ChartRig r;
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
            ChartRig r;
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
        ChartRig again;
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
        ChartRig r;
        for (int i = 0; i < presses; ++i) QTest::keyClick(&r.chart, Qt::Key(key));
        QCOMPARE(r.chart.view(), view);
        // Every view keeps the points pickable where they are drawn.
        QSignalSpy picked(&r.chart, &Chart3DWidget::pointPicked);
        QTest::mouseClick(&r.chart, Qt::LeftButton, {}, r.at(21, 1, 20));
        QCOMPARE(picked.value(0), (QVariantList{8, 21}));
    }

    // The picture and the pick agree on where a point is, on screen and on a 300 dpi page.
    void pointsAreDrawnWhereTheyArePicked() {
        ChartRig r;
        r.chart.showValueLabel(7, 2);
        QImage page(3000, 2000, QImage::Format_ARGB32);
        page.setDotsPerMeterX(11811);
        page.setDotsPerMeterY(11811);
        const Chart3DContent content = Chart3DContent::of(*r.session, 0, r.chart.valueLabel());
        QPainter p(&page);
        paintChart3D(p, page.rect(), r.chart.look(), content, r.chart.view());
        p.end();
        const QPointF onPage =
            chart3DGeometry(page.rect(), &page, r.chart.look(), content, r.chart.view())
                .project(7, 2, 20);
        QCOMPARE(page.pixelColor(onPage.toPoint()), r.chart.look().labelBackground);
        QCOMPARE(r.chart.grab().toImage().pixelColor(r.at(7, 2, 20)),
                 r.chart.look().labelBackground);
        // However small it is laid out, and whatever a paste put in, the chart still draws
        // with an axis near the limits.
        r.session->setValue(1, 1, -1e308);
        r.session->setValue(1, 2, 1e308);
        const Chart3DContent pasted = Chart3DContent::of(*r.session, 0);
        QImage tiny(30, 20, QImage::Format_ARGB32);
        tiny.fill(Qt::magenta);
        QPainter tp(&tiny);
        paintChart3D(tp, tiny.rect(), r.chart.look(), pasted, r.chart.view());
        QCOMPARE(tiny.pixelColor(0, 0), r.chart.look().background);
        QVERIFY(chart3DGeometry(tiny.rect(), &tiny, r.chart.look(), pasted, r.chart.view())
                    .advanceAxis()
                    .max < 1000);
    }
};

QTEST_MAIN(Chart3DWidgetTest)
#include "chart3d_widget_test.moc"
