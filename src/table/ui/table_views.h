#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QMenu;
class QWidget;

namespace velo {

class Chart2DWidget;
class TableEditor;
class TimingGrid;

// The table views of the main window: Chart2D1 over VSFlexGrid1, the 3D chart's place
// over VSFlexGrid2. They show the editor's open table and pass the grids' gestures on.
class TableViews : public QObject {
    Q_OBJECT
  public:
    // `parent` is the window's client area; `popup2D` and `popup3D` the grids' menus.
    TableViews(TableEditor& editor, QWidget* parent, QMenu* popup2D, QMenu* popup3D);

    TimingGrid* grid2D() const { return grid2D_; }
    TimingGrid* grid3D() const { return grid3D_; }
    Chart2DWidget* chart2D() const { return chart2D_; }
    QWidget* chart3D() const;

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
    QLabel* chart3D_;
};

}  // namespace velo
