#pragma once

#include "chart/chart2d_geometry.h"
#include "chart/chart_drag_state.h"
#include "chart/ui/chart_look.h"
#include "table/table_session.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace velo {

// Chart2D1: the open 2D table as a curve of 21 points against RPM, with the trigger
// timing as its limit line. A left drag on a point changes that cell's working value;
// the release writes the value's text into the cell.
class Chart2DWidget : public QWidget {
    Q_OBJECT
  public:
    explicit Chart2DWidget(QWidget* parent = nullptr);

    // The table it draws and edits; nullptr draws nothing.
    void setSession(TableSession* session);
    TableSession* session() const { return session_; }
    // The chart's look; false when the file cannot be read (the look stays as it was).
    bool loadTemplate(const QString& path);
    const ChartLook& look() const { return look_; }
    // Data label 1: shown beside point `col` with the point's value, or hidden.
    void showValueLabel(int col);
    void hideValueLabel();
    int valueLabelPoint() const { return labelPoint_; }

    // The drag state, the main window's to share with the 3D chart; the chart keeps its
    // own until then.
    void setDragState(ChartDragState* state);
    ChartDragState& dragState() const { return *drag_; }

    // Where the chart draws its points at its present size.
    Chart2DGeometry chartGeometry() const;

  signals:
    // A left press took point `col`: the grid makes (1, col) its current cell.
    void pointPicked(int col);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The chart's gesture-cancelling notification.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // What the cached frame layer was drawn for; a drag changes none of it.
    struct FrameKey {
        QSize size;
        qreal pixelRatio = 0;
        int dpi = 0;
        int lookVersion = 0;
        double axisMin = 0, axisMax = 0, axisStep = 0;
        QVector<double> limit;
        double lower = 0, upper = 0;
        bool operator==(const FrameKey&) const = default;
    };

    void tableChanged();
    void endDragAction();

    QPointer<TableSession> session_;
    QPointer<TableSession> dragSession_;  // the table whose undo step a drag holds open
    ChartLook look_;
    ChartDragState ownDrag_;
    ChartDragState* drag_ = &ownDrag_;
    int labelPoint_ = 0;
    int lookVersion_ = 0;
    QPixmap frame_;
    FrameKey frameKey_;
};

}  // namespace velo
