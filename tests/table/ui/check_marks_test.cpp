#include "table/ui/check_marks.h"

#include "app/ui/table_views.h"
#include "support/model_rig.h"
#include "table/table_commands.h"
#include "table/ui/timing_grid.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

class CheckMarksTest : public QObject {
    Q_OBJECT
  private slots:
    // Marks, list and tooltip agree, follow edits, and the grid still edits through the
    // marking delegate; a closed table takes the marks and the panel with it.
    void marksFollowTheOpenTable() {
        test::ModelRig rig;
        rig.image.BufferEmpty = false;
        rig.image.Table3DEnabled = true;
        for (int k = 1; k <= 21; ++k)
            for (int r = 1; r <= 8; ++r) rig.image.Table3D(k, r) = 20;
        TableEditor editor{rig.ctx};
        QWidget window;
        QMenu p2, p3;
        TableViews views{editor, &window, &p2, &p3};
        views.setUpGrids();
        views.layout(1260 * TimingGrid::twipsPerPixel(), 740 * TimingGrid::twipsPerPixel());
        window.resize(1260, 740);
        window.show();
        QTemporaryDir dir;
        QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
        TimingGrid* grid = views.grid3D();

        mnuCheckTable_Click(editor, views.grid2D(), grid, settings, &window);  // opens it
        QVERIFY(editor.session());
        auto* panel = window.findChild<TableCheckPanel*>("dlgTableCheck");
        QCOMPARE(panel->list()->count(), 0);
        editor.session()->runAction("t", [&] { editor.session()->setValue(3, 5, 26); });
        QCOMPARE(panel->list()->count(), 2);  // a spike that also rises with load
        auto* marks = dynamic_cast<CheckMarkDelegate*>(grid->itemDelegate());
        QVERIFY(marks->tipAt(3, 5).startsWith("Spike at 2000 RPM, MAP 20: 26.0°"));
        QVERIFY(marks->tipAt(3, 4).isEmpty());
        const QRect cell = grid->visualRect(grid->model()->index(3, 5));
        QCOMPARE(grid->viewport()->grab().toImage().pixelColor(cell.left() + 1, cell.center().y()),
                 QColor(0xe0, 0x10, 0x90));
        emit panel->list()->itemClicked(panel->list()->item(1));
        QCOMPARE(QPoint(grid->row(), grid->col()), QPoint(3, 5));

        grid->editCell(3, 5, "20");
        QVERIFY(grid->findChild<QLineEdit*>("cellEditor"));
        QVERIFY(grid->finishEdit());
        QCOMPARE(panel->list()->count(), 0);

        editor.session()->runAction("t", [&] { editor.session()->setValue(1, 1, 10); });
        QVERIFY(!marks->tipAt(1, 1).isEmpty());
        editor.close();
        QVERIFY(marks->tipAt(1, 1).isEmpty() && !panel->isVisible());
    }
};

QTEST_MAIN(CheckMarksTest)
#include "check_marks_test.moc"
