#pragma once

#include "data/config_image.h"

#include <algorithm>
#include <cmath>

namespace velo {

// The window a table value may take: from TimingRange below the trigger timing up to it,
// whole degrees, the lower end in 16-bit arithmetic.
struct TimingWindow {
    int lower, upper;
    explicit TimingWindow(int trigTiming)
        : lower(int16_t(trigTiming - ConfigImage::TimingRange)), upper(trigTiming) {}
};

// How a value is brought into the window. Each owner has its own order of tests, and the
// tuner meets the differences (a 2D drag far below can end under 0, Modify never stops at
// 0), so they stay apart and each command names the one it goes by.
enum class LimitRule {
    // The grid's check takes only what lies in the window, the 2D table's from 0 up; the
    // commands that must leave a table an edit could give (Interpolate, Smooth) clamp to it.
    GridCheck,
    // The charts' drags: the lower end first, then 0 for the 2D table, then the trigger.
    Drag,
    // Modify, the steps and the 2D wizard: the lower end first, then the trigger; no 0.
    Modify,
    // The module dialog's OK: 0 first, then the lower end, then the trigger; both tables.
    ParamsOk,
};

// The lowest value `rule` leaves a cell of `kind`.
inline double lowestValue(LimitRule rule, TableKind kind, int trigTiming) {
    const int lower = TimingWindow(trigTiming).lower;
    const bool stopsAtZero =
        rule == LimitRule::ParamsOk || (rule == LimitRule::GridCheck && kind == TableKind::Table2D);
    return stopsAtZero ? std::max(lower, 0) : lower;
}

inline double limited(LimitRule rule, TableKind kind, int trigTiming, double v) {
    const TimingWindow w(trigTiming);
    switch (rule) {
        case LimitRule::GridCheck: {
            const double low = lowestValue(rule, kind, trigTiming);
            // Between pasted corners of opposite huge values the arithmetic meets inf - inf,
            // which has no number and would pass both limits.
            if (std::isnan(v)) return low;
            return std::min(std::max(v, low), double(w.upper));
        }
        case LimitRule::Drag:
            if (v < w.lower) return w.lower;
            if (kind == TableKind::Table2D && v < 0) return 0;
            return v > w.upper ? w.upper : v;
        case LimitRule::Modify:
            if (v < w.lower) return w.lower;
            return v > w.upper ? w.upper : v;
        case LimitRule::ParamsOk:
            if (v < 0) return 0;
            if (v < w.lower) return w.lower;
            return v > w.upper ? w.upper : v;
    }
    return v;
}

// The grid's check: whether a typed value of a cell of `kind` is taken.
inline bool gridCheckTakes(TableKind kind, int trigTiming, double v) {
    return v >= lowestValue(LimitRule::GridCheck, kind, trigTiming) &&
           v <= TimingWindow(trigTiming).upper;
}

}  // namespace velo
