#pragma once

#include <QVector>

namespace velo {

// An axis range with readable ticks: min and max are whole multiples of step, and step
// is 1, 2 or 5 times a power of ten. Shared by the 2D and 3D charts.
struct AxisScale {
    double min = 0;
    double max = 1;
    double step = 1;

    QVector<double> ticks() const;
    // Decimals the tick labels need ("5" for a step of 5, "0.5" for 0.5).
    int decimals() const;
};

// The scale with the finest step that covers [lo, hi] in no more than `maxTicks` ticks
// (at least 2); an empty range is widened by one unit each way.
AxisScale niceScale(double lo, double hi, int maxTicks);

}  // namespace velo
