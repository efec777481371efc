#include "app/ui/table_views.h"

#include "app/window_layout.h"
#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_widget.h"
#include "support/model_rig.h"
#include "table/grid_metrics.h"
#include "table/table_commands.h"
#include "table/ui/check_marks.h"
#include "table/ui/timing_grid.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

namespace {

// The window's table views with a flat 3D table at 20 in use, open on them unless told.
struct Views : test::ModelRig, NoTableWindow {
    TableEditor editor{ctx};
    QWidget window;
    QMenu popup2D, popup3D;
    TableViews views{editor, &window, &popup2D, &popup3D};

    bool loadTemplate3D(const QString& path) override {
        return views.chart3D()->loadTemplate(path);
    }

    explicit Views(bool open = true) {
        editor.window = this;
        image.BufferEmpty = false;
        image.Table3DEnabled = true;
        for (int i = 0; i < 168; ++i) image.Table3D(i % 21 + 1, i / 21 + 1) = 20;
        views.setUpGrids();
        window.resize(1260, 740);
        views.layout(1260 * TimingGrid::twipsPerPixel(), 740 * TimingGrid::twipsPerPixel());
        window.show();
        if (open) mnuEditTimingTable_Click(editor);
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

    // Marks, list and tooltip agree, follow edits, and the grid still edits through the
    // marking delegate; a closed table takes the marks and the panel with it.
    void marksFollowTheOpenTable() {
        Views v(false);
        TableEditor& editor = v.editor;
        QTemporaryDir dir;
        QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
        TimingGrid* grid = v.views.grid3D();

        mnuCheckTable_Click(editor, v.views.grid2D(), grid, settings, &v.window);  // opens it
        QVERIFY(editor.session());
        auto* panel = v.window.findChild<TableCheckPanel*>("dlgTableCheck");
        QCOMPARE(panel->list()->count(), 0);
        editor.session()->runAction("t", [&] { editor.session()->setValue(3, 5, 26); });
        QTRY_COMPARE(panel->list()->count(), 2);  // a spike that also rises with load
        // The status line's count follows the panel's.
        QCOMPARE(v.heard.lastNotice(), "Timing table checked: 2 findings.");
        auto* marks = dynamic_cast<CheckMarkDelegate*>(grid->itemDelegate());
        QVERIFY(marks->tipAt(3, 5).startsWith("Spike at 2000 RPM, MAP 20: 26.0°"));
        QVERIFY(marks->tipAt(3, 4).isEmpty());
        const QRect cell = grid->visualRect(grid->model()->index(3, 5));
        QCOMPARE(grid->viewport()->grab().toImage().pixelColor(cell.left() + 1, cell.center().y()),
                 QColor(0xe0, 0x10, 0x90));
        // A new pressure unit reaches the sentences and the chart's cached picture.
        Chart3DWidget* chart = v.views.chart3D();
        chart->grab();
        const QImage inHg = chart->grab().toImage();
        editor.setPressureUnit(PressureUnit::KPa);
        QTRY_VERIFY(marks->tipAt(3, 5).startsWith("Spike at 2000 RPM, MAP 68: "));
        QVERIFY(chart->grab().toImage() != inHg);
        editor.setPressureUnit(PressureUnit::InHg);
        emit panel->list()->itemClicked(panel->list()->item(1));
        QCOMPARE(QPoint(grid->row(), grid->col()), QPoint(3, 5));

        grid->editCell(3, 5, "20");
        QVERIFY(grid->findChild<QLineEdit*>("cellEditor"));
        QVERIFY(grid->finishEdit());
        QTRY_COMPARE(panel->list()->count(), 0);

        editor.session()->runAction("t", [&] { editor.session()->setValue(1, 1, 8); });
        QTRY_VERIFY(!marks->tipAt(1, 1).isEmpty());
        // The notes the summary counts are listed below the findings, greyed.
        QListWidgetItem* last = panel->list()->item(panel->list()->count() - 1);
        QVERIFY(last->text().startsWith("At the lower limit at 0 RPM, MAP "));
        QVERIFY(last->foreground() != panel->list()->item(0)->foreground());
        editor.close();
        QVERIFY(marks->tipAt(1, 1).isEmpty() && !panel->isVisible());
    }

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

QTEST_MAIN(TableViewsTest)
#include "table_views_test.moc"
