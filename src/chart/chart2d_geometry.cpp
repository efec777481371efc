#include "chart/chart2d_geometry.h"

#include <algorithm>
#include <cmath>

namespace velo {

namespace {
// Half a column beyond each end keeps the end points and their markers off the frame.
constexpr double kRpmPad = Chart2DGeometry::kRpmPerColumn / 2;
// Room above the limit line and below the lower limit, in degrees.
constexpr double kAdvancePad = 0.5;

int ticksThatFit(double pixels, double gap) {
    return gap > 0 ? std::max(2, int(pixels / gap) + 1) : 2;
}
}  // namespace

bool ChartPick::takesPoint() const {
    return region == Chart2DGeometry::kPlotArea && series == 1 && point >= 1 &&
           distance < Chart2DGeometry::kPickRadius;
}

Chart2DGeometry::Chart2DGeometry(const QRectF& plotArea, double lo, double hi, QSizeF minTickGap)
    : plot_(plotArea),
      rpm_(niceScale(
          0, kRpmMax,
          ticksThatFit(plotArea.width() * kRpmMax / (kRpmMax + 2 * kRpmPad), minTickGap.width()))),
      advance_(niceScale(lo - kAdvancePad, hi + kAdvancePad,
                         ticksThatFit(plotArea.height(), minTickGap.height()))) {}

double Chart2DGeometry::x(double rpm) const {
    // Multiplied before divided: whole pixels come out whole.
    return plot_.left() + (rpm + kRpmPad) * plot_.width() / (kRpmMax + 2 * kRpmPad);
}

double Chart2DGeometry::y(double advance) const {
    // A value beyond the axis (an absurd paste) sits on the frame's edge, never at a
    // pixel position no painter can take.
    advance = std::fmin(std::fmax(advance, advance_.min), advance_.max);
    return plot_.bottom() -
           (advance - advance_.min) * plot_.height() / (advance_.max - advance_.min);
}

double Chart2DGeometry::rpmAt(double px) const {
    return (px - plot_.left()) * (kRpmMax + 2 * kRpmPad) / plot_.width() - kRpmPad;
}

double Chart2DGeometry::advanceAt(double py) const {
    return advance_.min + (plot_.bottom() - py) * (advance_.max - advance_.min) / plot_.height();
}

ChartPick Chart2DGeometry::pick(QPointF pos, const QVector<double>& series1,
                                const QVector<double>& series2) const {
    ChartPick best;
    best.region = plot_.contains(pos) ? kPlotArea : kElsewhere;
    best.distance = INFINITY;
    const QVector<double>* series[] = {&series1, &series2};
    for (int s = 0; s < 2; ++s) {
        for (int k = 1; k <= std::min<int>(kPoints, int(series[s]->size())); ++k) {
            const QPointF d = point(k, (*series[s])[k - 1]) - pos;
            const double dist = std::hypot(d.x(), d.y());
            if (dist < best.distance) {
                best.series = s + 1;
                best.point = k;
                best.distance = dist;
            }
        }
    }
    return best;
}

}  // namespace velo
