#include "app/window_layout.h"

#include "core/numeric.h"

#include <algorithm>
#include <cmath>

namespace velo {

namespace {
constexpr double kChartShare = 0.7;
// The outer size includes the frame, title and menu bar; the grids give that back.
constexpr double kGridTrimWidth = 150;
constexpr double kGridTrimHeight = 725;

int whole(double v) {
    return int(roundHalfEven(v));
}
}  // namespace

FormLayout formLayout(double W, double H) {
    FormLayout l;
    l.chart = {0, 0, whole(W), whole(kChartShare * H)};
    const int gw = std::max(0, whole(W - kGridTrimWidth));
    const int gh = std::max(0, whole(0.3 * H - kGridTrimHeight));
    l.grid = {0, whole(kChartShare * H), gw, gh};
    return l;
}

}  // namespace velo
