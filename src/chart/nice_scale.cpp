#include "chart/nice_scale.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <QByteArray>

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

namespace {

// 10^e as the double nearest it on every C library: products of powers of ten and pow()
// are not correctly rounded everywhere, and a step one bit off shows in the ticks.
double powerOfTen(int e) {
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr int kLast = int(std::size(kExact)) - 1;
    if (e >= 0 && e <= kLast) return kExact[e];
    if (e < 0 && -e <= kLast) return 1 / kExact[-e];  // one rounding of an exact quotient
    return QByteArray("1e" + QByteArray::number(e)).toDouble();
}

// The exponent of the largest power of ten not above x (x > 0), whatever log10 rounds to.
int decadeOf(double x) {
    int e = int(std::floor(std::log10(x)));
    if (powerOfTen(e) > x)
        --e;
    else if (powerOfTen(e + 1) <= x)
        ++e;
    return e;
}

}  // namespace

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
    for (int e = decadeOf((hi - lo) / intervals) - 1;; ++e) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double step = m * powerOfTen(e);
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
