#include "app/ui/table_views.h"

#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_widget.h"
#include "support/model_rig.h"
#include "table/table_commands.h"
#include "table/ui/timing_grid.h"

#include <QMenu>
#include <QtTest>

using namespace velo;

namespace {

// The window's table views with a 3D table open on them.
struct Views : test::ModelRig {
    TableEditor editor{ctx};
    QWidget window;
    QMenu popup2D, popup3D;
    TableViews views{editor, &window, &popup2D, &popup3D};

    Views() {
        image.BufferEmpty = false;
        image.Table3DEnabled = true;
        views.setUpGrids();
        window.resize(1260, 740);
        views.layout(1260 * TimingGrid::twipsPerPixel(), 740 * TimingGrid::twipsPerPixel());
        window.show();
        mnuEditTimingTable_Click(editor);
    }
};

}  // namespace

class TableViewsTest : public QObject {
    Q_OBJECT
  private slots:
    void gridCellShowsItsPointOnTheChart_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("(1, 1): lowest pressure, 0 RPM") << 1 << 1 << 1 << 8;
        QTest::newRow("(8, 21)") << 8 << 21 << 21 << 1;
    }
    // Grid row r is the chart's y index 9 - r, both ways; Escape's hide clears it.
    void gridCellShowsItsPointOnTheChart() {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, x);
        QFETCH(int, y);
        Views v;
        Chart3DWidget* chart = v.views.chart3D();
        QVERIFY(chart->isVisible());
        v.views.grid3D()->setCurrentCell(row, col);
        QCOMPARE(QPoint(chart->valueLabel().xIndex, chart->valueLabel().yIndex), QPoint(x, y));
        v.views.hideValueLabels();
        QVERIFY(!chart->valueLabel().shown());
        v.views.grid3D()->setCurrentCell(0, 0);
        const double value = v.editor.session()->value(row, col);
        QTest::mouseClick(chart, Qt::LeftButton, {},
                          chart->chartGeometry().project(x, y, value).toPoint());
        QCOMPARE(QPoint(v.views.grid3D()->col(), v.views.grid3D()->row()), QPoint(col, row));
    }

    // An offset release rewrites Table3D from the chart, earlier drags included, and is one
    // undo step. A gesture cancelled on the 3D chart is cancelled on the 2D one.
    void anOffsetReleaseReachesTable3D() {
        Views v;
        Chart3DWidget* chart = v.views.chart3D();
        QCOMPARE(&v.views.chart2D()->dragState(), &chart->dragState());
        TableSession* s = v.editor.session();
        for (int i = 0; i < 168; ++i) s->setValue(i / 21 + 1, i % 21 + 1, 20);
        s->setValue(2, 3, 19);  // an earlier plain drag
        const double start = 20;
        auto at = [&](double value) {
            return chart->chartGeometry().project(11, 1, value).toPoint();
        };
        v.views.grid3D()->setCurrentCell(4, 4);
        QTest::mousePress(chart, Qt::LeftButton, Qt::ShiftModifier, at(start));
        QCOMPARE(v.views.grid3D()->row(), 0);  // the whole table moves, no one cell
        QMouseEvent move(QEvent::MouseMove, at(start - 2), chart->mapToGlobal(at(start - 2)),
                         Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(chart, &move);
        QCOMPARE(chart->valueLabel().text.value_or("value"), QString("-0.8"));
        QTest::mouseRelease(chart, Qt::LeftButton, Qt::ShiftModifier, at(start - 2));
        QCOMPARE(s->value(2, 3), 18.2);  // 2 degrees down the mouse: an offset of -0.8
        for (int i = 0; i < 168; ++i)
            QCOMPARE(v.image.Table3D(i % 21 + 1, 8 - i / 21), s->value(i / 21 + 1, i % 21 + 1));
        QCOMPARE(s->undoStack()->count(), 1);  // the whole gesture is one step
        s->undo();
        QCOMPARE(s->value(2, 3), 19.0);
    }
};

QTEST_MAIN(TableViewsTest)
#include "table_views_test.moc"
