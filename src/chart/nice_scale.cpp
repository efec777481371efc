#include "chart/nice_scale.h"

#include <algorithm>
#include <cmath>

namespace velo {

QVector<double> AxisScale::ticks() const {
    QVector<double> t;
    const double first = std::round(min / step), n = std::round((max - min) / step);
    // Only a scale not made by niceScale can be this odd: no ticks rather than a runaway.
    if (!(step > 1e-12 && n >= 0 && n <= kMaxTicks && std::abs(first) < 1e15)) return t;
    // A fine step as a division (3 / 10, not 3 * 0.1): each tick is the double nearest
    // its decimal value.
    const double perUnit = step < 1 ? double(std::llround(1 / step)) : 0;
    for (double i = first; i <= first + n; ++i) t.append(perUnit ? i / perUnit : i * step);
    return t;
}

int AxisScale::decimals() const {
    return std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
}

AxisScale niceScale(double lo, double hi, int maxTicks) {
    // Whatever the cells hold (a pasted +-1e308, whose difference overflows, or an
    // infinity), the range and every step below stay finite.
    constexpr double kLargest = 1e300;
    lo = std::isnan(lo) ? 0 : std::clamp(lo, -kLargest, kLargest);
    hi = std::isnan(hi) ? 0 : std::clamp(hi, -kLargest, kLargest);
    if (hi < lo) std::swap(lo, hi);
    if (hi - lo < 1e-9) {
        const double pad = std::max(1.0, std::abs(lo) * 1e-9);
        lo -= pad;
        hi += pad;
    }
    // Two intervals always fit once the step passes both ends, so the search ends there.
    const int intervals = std::max(2, maxTicks - 1);
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

std::pair<double, double> advanceSpan(double lowerLimit, double upperLimit,
                                      std::initializer_list<const QVector<double>*> series) {
    double lo = lowerLimit, hi = upperLimit;
    for (const QVector<double>* s : series)
        for (double x : *s) {
            const double v = std::clamp(x, lowerLimit - kAxisReach, upperLimit + kAxisReach);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    return {lo, hi};
}

}  // namespace velo
