#include "chart/window_layout.h"

#include "data/numeric.h"

#include <algorithm>
#include <cmath>

namespace velo {

namespace {
constexpr int kGridColumns = 22;
constexpr int kRows3D = 9;
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

int rowHeight2D(int clientHeight) {
    // Two rows, each a third of the height: room under the table.
    return int(std::floor(clientHeight / 3.0)) - 10;
}

int rowHeight3D(int clientHeight) {
    return int(std::floor(double(clientHeight) / kRows3D)) - 1;
}

int columnWidth(int clientWidth) {
    return int(std::floor(double(clientWidth) / kGridColumns)) - 1;
}

double twipsPerPixel(double logicalDpi) {
    return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0;
}

}  // namespace velo
