#pragma once

#include "chart/chart_drag_state.h"

#include <QObject>
#include <QString>

class QMenu;
class QWidget;

namespace velo {

class Chart2DWidget;
class Chart3DWidget;
class TableEditor;
class TimingGrid;

// The table views of the main window: Chart2D1 over VSFlexGrid1, Chart3D1 over
// VSFlexGrid2. They show the editor's open table and pass the grids' gestures on.
class TableViews : public QObject {
    Q_OBJECT
  public:
    // `parent` is the window's client area; `popup2D` and `popup3D` the grids' menus.
    TableViews(TableEditor& editor, QWidget* parent, QMenu* popup2D, QMenu* popup3D);

    TimingGrid* grid2D() const { return grid2D_; }
    TimingGrid* grid3D() const { return grid3D_; }
    Chart2DWidget* chart2D() const { return chart2D_; }
    Chart3DWidget* chart3D() const { return chart3D_; }
    // An open cell editor's text is taken before any command; false when it was refused.
    bool finishEdits();
    // Both charts' data label 1 (Escape, a template load).
    void hideValueLabels();

    // Form_Resize for the four views, from the window's outer size in twips.
    void layout(double W, double H);
    // Start-up: the grids' shape and headers, the 3D grid with its current MAP labels.
    void setUpGrids();

  private:
    void follow();
    void writeMapLabels();
    void rightClick(TimingGrid* grid, QMenu* popup, QPoint pos);

    TableEditor& editor_;
    TimingGrid* grid2D_;
    TimingGrid* grid3D_;
    Chart2DWidget* chart2D_;
    Chart3DWidget* chart3D_;
    // The charts' mouse state, one for both: a gesture cancelled on one is on the other.
    ChartDragState drag_;
};

}  // namespace velo
