#include "chart/chart3d_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace velo {

namespace {
double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}
}  // namespace

bool Chart3DPick::takesPoint() const {
    return region == Chart3DGeometry::kPlotArea && xIndex >= 1 && yIndex >= 1 &&
           distance < Chart3DGeometry::kPickRadius;
}

Chart3DGeometry::Chart3DGeometry(const QRectF& plotArea, const QRectF& fitArea, ViewAngles view,
                                 BoxShape shape, const AxisScale& advance)
    : plot_(plotArea),
      advance_(advance),
      view_{view.rotation,
            std::clamp(view.elevation, double(kMinElevation), double(kMaxElevation))},
      shape_(shape),
      cosR_(std::cos(radians(view_.rotation))),
      sinR_(std::sin(radians(view_.rotation))),
      sinE_(std::sin(radians(view_.elevation))) {
    // The box is symmetric about the origin, so its picture is too: fit the half extents.
    double halfW = 0, halfH = 0;
    for (double x : {-1.0, 1.0})
        for (double y : {-shape_.depth, shape_.depth}) {
            halfW = std::max(halfW, std::abs(x * cosR_ - y * sinR_));
            halfH = std::max(halfH, shape_.height + std::abs(sinE_ * depth(x, y)));
        }
    // Across and up may scale apart, within a limit, so that a wide, low chart area is
    // filled rather than left empty at the sides.
    const double across = fitArea.width() / (2 * halfW), up = fitArea.height() / (2 * halfH);
    scaleX_ = std::max(1e-6, std::min(across, up * kMaxStretch));
    scale_ = std::max(1e-6, std::min(up, across * kMaxStretch));
    centre_ = fitArea.center();
}

double Chart3DGeometry::modelY(int yIndex) const {
    return shape_.depth * (-1 + 2 * (yIndex - 1) / 7.0);
}

double Chart3DGeometry::modelZ(double value) const {
    // A value beyond the axis (an absurd paste) is drawn on the box's floor or top.
    value = std::fmin(std::fmax(value, advance_.min), advance_.max);
    return -1 + 2 * (value - advance_.min) / (advance_.max - advance_.min);
}

double Chart3DGeometry::depth(double x, double y) const {
    return x * sinR_ + y * cosR_;
}

QPointF Chart3DGeometry::projectModel(double x, double y, double z) const {
    const double across = x * cosR_ - y * sinR_;
    const double up = shape_.height * z + sinE_ * depth(x, y);
    return {centre_.x() + scaleX_ * across, centre_.y() - scale_ * up};
}

QPointF Chart3DGeometry::project(int xIndex, int yIndex, double value) const {
    return projectModel(modelX(xIndex), modelY(yIndex), modelZ(value));
}

double Chart3DGeometry::map(int xIndex, int yIndex, double y) const {
    const double up = (centre_.y() - y) / scale_;
    const double z = (up - sinE_ * depth(modelX(xIndex), modelY(yIndex))) / shape_.height;
    const double value = advance_.min + (z + 1) / 2 * (advance_.max - advance_.min);
    // The projection's rounding noise must not decide a half-way case of the drag's
    // rounding: a millionth of a degree is far below anything a pixel can mean.
    return std::round(value * 1e6) / 1e6;
}

Chart3DPick Chart3DGeometry::pick(QPointF pos, const QVector<double>& values) const {
    Chart3DPick best;
    best.region = plot_.contains(pos) ? kPlotArea : kElsewhere;
    best.distance = INFINITY;
    double bestDepth = INFINITY;
    for (int m = 1; m <= kRows; ++m) {
        for (int k = 1; k <= kColumns; ++k) {
            const int i = (m - 1) * kColumns + k - 1;
            if (i >= values.size()) return best;
            const QPointF d = project(k, m, values[i]) - pos;
            const double dist = std::hypot(d.x(), d.y());
            const double back = depth(modelX(k), modelY(m));
            if (dist < best.distance || (dist == best.distance && back < bestDepth)) {
                best.xIndex = k;
                best.yIndex = m;
                best.distance = dist;
                bestDepth = back;
            }
        }
    }
    return best;
}

}  // namespace velo
