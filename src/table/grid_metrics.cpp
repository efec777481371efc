#include "table/grid_metrics.h"

#include "core/table_shape.h"

#include <cmath>

namespace velo {

namespace {
constexpr int kGridColumns = kRpmColumns + 1;  // with the label column
constexpr int kRows3D = kMapRows + 1;
}  // namespace

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
