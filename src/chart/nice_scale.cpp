#include "chart/nice_scale.h"

#include <algorithm>
#include <cmath>

namespace velo {

QVector<double> AxisScale::ticks() const {
    QVector<double> t;
    const long long first = std::llround(min / step), n = std::llround((max - min) / step);
    // A fine step as a division (3 / 10, not 3 * 0.1): each tick is the double nearest
    // its decimal value.
    const double perUnit = step < 1 ? double(std::llround(1 / step)) : 0;
    for (long long i = first; i <= first + n; ++i)
        t.append(perUnit ? double(i) / perUnit : double(i) * step);
    return t;
}

int AxisScale::decimals() const {
    return std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
}

AxisScale niceScale(double lo, double hi, int maxTicks) {
    if (hi < lo) std::swap(lo, hi);
    if (hi - lo < 1e-9) {
        lo -= 1;
        hi += 1;
    }
    const int intervals = std::max(1, maxTicks - 1);
    // Start one decade below the rough step and take the first nice step that fits.
    double decade = std::pow(10.0, std::floor(std::log10((hi - lo) / intervals)) - 1);
    for (;; decade *= 10) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double step = m * decade;
            const double min = std::floor(lo / step + 1e-9) * step;
            const double max = std::ceil(hi / step - 1e-9) * step;
            if (std::llround((max - min) / step) <= intervals) return {min, max, step};
        }
    }
}

}  // namespace velo
