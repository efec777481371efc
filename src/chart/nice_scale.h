#pragma once

#include <QVector>
#include <initializer_list>
#include <utility>

namespace velo {

// An axis range with readable ticks: min and max are whole multiples of step, and step
// is 1, 2 or 5 times a power of ten. Shared by the 2D and 3D charts.
struct AxisScale {
    static constexpr int kMaxTicks = 1000;
    double min = 0;
    double max = 1;
    double step = 1;

    QVector<double> ticks() const;
    // Decimals the tick labels need ("5" for a step of 5, "0.5" for 0.5).
    int decimals() const;
};

// The scale with the finest step that covers [lo, hi] in no more than `maxTicks` ticks
// (at least 3); an empty range is widened by one unit each way.
AxisScale niceScale(double lo, double hi, int maxTicks);

// The advance axis of either chart covers the table's limits and its values, but a value
// absurdly far out (a paste of 1e308) only this many degrees beyond the limits; such a
// point is drawn on the chart's edge.
inline constexpr double kAxisReach = 100;
// The span such an axis covers: the limits and every value of `series`, each at most
// kAxisReach beyond the limits.
std::pair<double, double> advanceSpan(double lowerLimit, double upperLimit,
                                      std::initializer_list<const QVector<double>*> series);

}  // namespace velo
