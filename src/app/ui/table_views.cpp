#include "app/ui/table_views.h"

#include "app/window_layout.h"
#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_widget.h"
#include "table/grid_metrics.h"
#include "table/table_commands.h"
#include "table/ui/timing_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace velo {

TableViews::TableViews(TableEditor& editor, QWidget* parent, QMenu* popup2D, QMenu* popup3D)
    : QObject(parent),
      editor_(editor),
      grid2D_(new TimingGrid(parent)),
      grid3D_(new TimingGrid(parent)),
      chart2D_(new Chart2DWidget(parent)),
      chart3D_(new Chart3DWidget(parent)) {
    grid2D_->setObjectName("VSFlexGrid1");
    grid2D_->setAccessibleName("2D timing table");
    grid3D_->setObjectName("VSFlexGrid2");
    grid3D_->setAccessibleName("3D timing table");
    chart2D_->setDragState(&drag_);
    chart3D_->setDragState(&drag_);
    for (QWidget* w : {static_cast<QWidget*>(grid2D_), static_cast<QWidget*>(grid3D_),
                       static_cast<QWidget*>(chart2D_), static_cast<QWidget*>(chart3D_)})
        w->hide();

    for (TimingGrid* g : {grid2D_, grid3D_})
        g->setValidator(
            [this](int, int, const QString& text) { return validateCellEdit(editor_, text); });
    // The value label follows the current cell of the 2D grid and its edits.
    connect(grid2D_, &TimingGrid::currentCellChanged, this, [this](int, int, int r, int c) {
        if (r != 0 && c != 0 && editor_.session()) chart2D_->showValueLabel(c);
    });
    connect(grid2D_, &TimingGrid::afterEdit, this,
            [this](int, int c) { chart2D_->showValueLabel(c); });
    connect(chart2D_, &Chart2DWidget::pointPicked, this,
            [this](int col) { grid2D_->setCurrentCell(1, col); });
    // And of the 3D grid: grid row r is the chart's y index mapIndexOfRow(r).
    connect(grid3D_, &TimingGrid::currentCellChanged, this, [this](int, int, int r, int c) {
        if (r != 0 && c != 0 && editor_.session()) chart3D_->showValueLabel(c, mapIndexOfRow(r));
    });
    connect(grid3D_, &TimingGrid::afterEdit, this,
            [this](int r, int c) { chart3D_->showValueLabel(c, mapIndexOfRow(r)); });
    connect(chart3D_, &Chart3DWidget::pointPicked, this,
            [this](int row, int col) { grid3D_->setCurrentCell(row, col); });
    // An offset release carries every earlier drag into Table3D too.
    connect(chart3D_, &Chart3DWidget::offsetApplied, this, [this] {
        if (editor_.session()) editor_.session()->copyToTableArray(editor_.ctx.image);
    });
    connect(grid2D_, &TimingGrid::mouseReleased, this,
            [this, popup2D](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint pos) {
                if (b == Qt::RightButton) rightClick(grid2D_, popup2D, pos);
            });
    connect(grid3D_, &TimingGrid::mouseReleased, this,
            [this, popup3D](Qt::MouseButton b, Qt::KeyboardModifiers, QPoint pos) {
                if (b == Qt::RightButton) rightClick(grid3D_, popup3D, pos);
            });

    connect(&editor_, &TableEditor::sessionChanged, this, [this](TableSession* s) {
        const bool is2D = s && s->kind() == TableKind::Table2D;
        grid2D_->setSession(is2D ? s : nullptr);
        chart2D_->setSession(is2D ? s : nullptr);
        grid3D_->setSession(s && !is2D ? s : nullptr);
        chart3D_->setSession(s && !is2D ? s : nullptr);
    });
    connect(&editor_, &TableEditor::mapLabelsChanged, this, &TableViews::writeMapLabels);
    connect(&editor_, &TableEditor::mapLabelsChanged, this,
            [this] { chart3D_->setMapSensor(editor_.mapSensorShown(), editor_.pressureUnit()); });
    connect(&editor_.ctx.state, &MainState::openTableChanged, this, &TableViews::follow);
}

bool TableViews::finishEdits() {
    return grid2D_->finishEdit() && grid3D_->finishEdit();
}

void TableViews::hideValueLabels() {
    chart2D_->hideValueLabel();
    chart3D_->hideValueLabel();
}

void TableViews::setUpGrids() {
    grid2D_->setShape(2, TableSession::kColumns + 1);
    grid3D_->setShape(kMapRows + 1, TableSession::kColumns + 1);
    for (TimingGrid* g : {grid2D_, grid3D_})
        for (int c = 1; c <= TableSession::kColumns; ++c)
            g->setText(0, c, TableSession::rpmLabel(c));
    grid2D_->setText(0, 0, "RPM");
    grid2D_->setText(1, 0, "ADV");
    grid3D_->setText(0, 0, "MAP/RPM");
    writeMapLabels();
}

void TableViews::writeMapLabels() {
    for (int r = 1; r <= kMapRows; ++r) grid3D_->setText(r, 0, editor_.mapLabel(r));
}

void TableViews::follow() {
    const MainState::OpenTable t = editor_.ctx.state.openTable();
    const bool open2D = t == MainState::OpenTable::Table2D;
    const bool open3D = t == MainState::OpenTable::Table3D;
    // A table opens with no data cell current.
    if (open2D && !grid2D_->isVisible()) grid2D_->setCurrentCell(0, 0);
    if (open3D && !grid3D_->isVisible()) grid3D_->setCurrentCell(0, 0);
    chart2D_->setVisible(open2D);
    grid2D_->setVisible(open2D);
    chart3D_->setVisible(open3D);
    grid3D_->setVisible(open3D);
}

void TableViews::rightClick(TimingGrid* grid, QMenu* popup, QPoint pos) {
    const TableKind kind = grid == grid2D_ ? TableKind::Table2D : TableKind::Table3D;
    setPasteForRightClick(editor_, kind, QApplication::clipboard()->text());
    popup->popup(grid->viewport()->mapToGlobal(pos));
}

void TableViews::layout(double W, double H) {
    const double t = TimingGrid::twipsPerPixel();
    const FormLayout l = formLayout(W, H);
    auto place = [t](QWidget* w, const TwipsRect& r) {
        w->setGeometry(int(r.left / t), int(r.top / t), int(r.width / t), int(r.height / t));
    };
    place(chart2D_, l.chart);
    place(chart3D_, l.chart);
    for (TimingGrid* g : {grid2D_, grid3D_}) {
        g->moveTwips(l.grid.left, l.grid.top, l.grid.width, l.grid.height);
        g->setRowHeightTwips(g == grid2D_ ? rowHeight2D(g->clientHeightTwips())
                                          : rowHeight3D(g->clientHeightTwips()));
        g->setColWidthTwips(columnWidth(g->clientWidthTwips()));
    }
}

}  // namespace velo
