#pragma once

#include "core/table_shape.h"

#include "chart/nice_scale.h"

#include <QPointF>
#include <QRectF>
#include <QVector>

namespace velo {

// The angles the 3D chart is seen from, in degrees: turned about the vertical axis, then
// tilted down onto the floor (0 looks at the floor edge-on, 90 straight down).
struct ViewAngles {
    double rotation = 0;
    double elevation = 0;
    bool operator==(const ViewAngles&) const = default;
};

// The box the surface sits in: its depth (MAP) and height (advance) as fractions of half
// its width (RPM).
struct BoxShape {
    double depth = 0.55;
    double height = 0.5;
};

struct Chart3DPick {
    int region = 0;  // Chart3DGeometry::kPlotArea when the position lies in the plot area
    int xIndex = 0;  // RPM column 1..21
    int yIndex = 0;  // MAP index 1..8
    double distance = 0;

    // A press takes the point: closer than 15 pixels, in the plot area.
    bool takesPoint() const;
};

// Where the 3D chart's 21 x 8 points sit in pixels. The floor is turned and tilted as a
// true parallel projection; heights are drawn upright at the same scale whatever the
// tilt, so a drag moves a point by the same degrees per pixel in every view and the
// height under the mouse never degenerates.
//
// Model space: x from -1 (0 RPM) to 1 (10000 RPM); y from -depth (MAP index 1, the
// highest pressure, in front) to depth (index 8, the lowest, at the back); z from -1
// (the advance axis' minimum) to 1 (its maximum), drawn `height` high.
class Chart3DGeometry {
  public:
    static constexpr int kPlotArea = -100;
    static constexpr int kElsewhere = 0;
    static constexpr int kColumns = kRpmColumns;
    static constexpr int kRows = kMapRows;
    static constexpr double kPickRadius = 15;
    static constexpr double kMinElevation = 5;
    static constexpr double kMaxElevation = 85;
    static constexpr double kMaxStretch = 1.8;  // across against up, or up against across

    // `plotArea`: where a press counts as on the chart; the box is fitted, centred, into
    // `fitArea`. Values run over `advance` from its min to its max.
    Chart3DGeometry(const QRectF& plotArea, const QRectF& fitArea, ViewAngles view, BoxShape shape,
                    const AxisScale& advance);

    const QRectF& plotArea() const { return plot_; }
    const AxisScale& advanceAxis() const { return advance_; }
    ViewAngles view() const { return view_; }
    const BoxShape& shape() const { return shape_; }
    // Pixels a model unit up the screen (heights); across may differ.
    double scale() const { return scale_; }

    static double modelX(int xIndex) { return -1 + (xIndex - 1) / 10.0; }
    double modelY(int yIndex) const;
    double modelZ(double value) const;

    // Any model point to pixels, and how far back it lies (larger: farther away).
    QPointF projectModel(double x, double y, double z) const;
    double depth(double x, double y) const;

    // Point (xIndex, yIndex) drawn at `value`.
    QPointF project(int xIndex, int yIndex, double value) const;
    // The value point (xIndex, yIndex) would have if drawn at pixel height `y`.
    double map(int xIndex, int yIndex, double y) const;

    // The nearest of the 168 points; `values` in chart order, index (y - 1) * 21 + x - 1.
    // On a tie the point nearer the viewer wins: it is the one drawn on top.
    Chart3DPick pick(QPointF pos, const QVector<double>& values) const;

  private:
    QRectF plot_;
    AxisScale advance_;
    ViewAngles view_;
    BoxShape shape_;
    double cosR_, sinR_, sinE_;
    double scale_ = 1, scaleX_ = 1;
    QPointF centre_;
};

}  // namespace velo
