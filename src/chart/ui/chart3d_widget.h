#pragma once

#include "chart/chart3d_geometry.h"
#include "chart/chart3d_gestures.h"
#include "chart/chart_drag_state.h"
#include "chart/ui/chart3d_painter.h"
#include "chart/ui/chart_look.h"
#include "table/table_session.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <optional>

namespace velo {

// Chart3D1: the open 3D table as a surface of 21 x 8 points over RPM and MAP. A left
// drag moves one point to the height under the mouse; a Shift + left drag chooses an
// offset for the whole table, added at the release. The right button turns and tilts
// the view, as do the arrow keys; Home goes back to the template's view.
class Chart3DWidget : public QWidget {
    Q_OBJECT
  public:
    explicit Chart3DWidget(QWidget* parent = nullptr);

    // The table it draws and edits; nullptr draws nothing.
    void setSession(TableSession* session);
    TableSession* session() const { return session_; }
    // The chart's look and view; false when the file cannot be read (all stays as it was).
    bool loadTemplate(const QString& path);
    const ChartLook& look() const { return look_; }
    // The sensor the MAP axis is labelled for.
    void setMapSensor(int mapSensor, PressureUnit unit = PressureUnit::InHg);
    int mapSensor() const { return mapSensor_; }

    // Data label 1: beside point (x, y) with the point's value, or hidden.
    void showValueLabel(int xIndex, int yIndex);
    void hideValueLabel();
    const Chart3DLabel& valueLabel() const { return label_; }

    // The drag state, shared with the 2D chart; the chart keeps its own until then.
    void setDragState(ChartDragState* state);
    ChartDragState& dragState() const { return *drag_; }

    // The view drawn: the one the user turned to, kept for the rest of the run, or the
    // template's.
    ViewAngles view() const;
    // Where the chart draws its points at its present size.
    Chart3DGeometry chartGeometry() const;

  signals:
    // A press asks the grid for this current cell: the picked point's, or (0, 0) when
    // an offset press selects no table cell.
    void pointPicked(int row, int col);
    // An offset release changed every cell: Table3D takes the chart's values.
    void offsetApplied();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void endDragAction();
    QPointer<TableSession> dragSession_;  // the table whose undo step a gesture holds open
    struct FrameKey {
        QSize size;
        qreal pixelRatio = 0;
        int dpi = 0;
        int lookVersion = 0;
        ViewAngles view;
        double axisMin = 0, axisMax = 0, axisStep = 0;
        int lower = 0, upper = 0, mapSensor = 0;
        PressureUnit unit = PressureUnit::InHg;  // the MAP axis is part of the picture
        bool draft = false;
        bool operator==(const FrameKey&) const = default;
    };

    Chart3DContent content() const;
    void turnTo(ViewAngles view);
    void tableChanged();

    QPointer<TableSession> session_;
    ChartLook look_;
    int mapSensor_ = 0;
    PressureUnit unit_ = PressureUnit::InHg;
    ChartDragState ownDrag_;
    ChartDragState* drag_ = &ownDrag_;
    Chart3DLabel label_;
    int lookVersion_ = 0;
    // The right-button turn in progress: where it started and the view it started from.
    bool turning_ = false;
    QPoint turnOrigin_;
    ViewAngles turnStart_;
    QPixmap frame_;
    FrameKey frameKey_, lastKey_;
};

// The view the user turned the 3D chart to in this run, if any: the report prints it.
std::optional<ViewAngles> turnedChart3DView();

}  // namespace velo
