#pragma once

#include "core/table_shape.h"

#include "chart/nice_scale.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QVector>

namespace velo {

struct ChartPick {
    int region = 0;       // Chart2DGeometry::kPlotArea when the position lies in the plot area
    int series = 0;       // 1: the table, 2: the limit line
    int point = 0;        // 1..21
    double distance = 0;  // pixels, measured in both directions

    // A left press takes the point: a table point closer than 15 pixels, in the plot area.
    bool takesPoint() const;
};

// Where the 2D chart's values sit in pixels: RPM column k at (k - 1) * 500 RPM across,
// advance in degrees up. Plain numbers, so the widget, the printout and tests agree.
class Chart2DGeometry {
  public:
    static constexpr int kPlotArea = -100;
    static constexpr int kElsewhere = 0;
    static constexpr int kPoints = kRpmColumns;
    static constexpr double kRpmPerColumn = 500;
    static constexpr double kRpmMax = 10000;
    static constexpr double kPickRadius = 15;

    // `plotArea`: the frame inside the axes. [lo, hi]: the advances that must show (the
    // limits and the data). `minTickGap`: the least pixels between ticks on each axis.
    Chart2DGeometry(const QRectF& plotArea, double lo, double hi, QSizeF minTickGap);

    const QRectF& plotArea() const { return plot_; }
    const AxisScale& rpmAxis() const { return rpm_; }
    const AxisScale& advanceAxis() const { return advance_; }

    double x(double rpm) const;
    double y(double advance) const;
    double rpmAt(double x) const;
    double advanceAt(double y) const;
    QPointF point(int col, double advance) const {
        return {x((col - 1) * kRpmPerColumn), y(advance)};
    }

    // The nearest point of either series to `pos`; on a tie the table's point wins, so a
    // cell at the trigger timing can still be dragged down.
    ChartPick pick(QPointF pos, const QVector<double>& series1,
                   const QVector<double>& series2) const;

  private:
    QRectF plot_;
    AxisScale rpm_, advance_;
};

}  // namespace velo
