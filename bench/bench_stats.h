#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Milliseconds per call of `step`, over `runs` calls after a few that warm the caches.
struct Stats {
    double median, p99, worst;
};

// Median, 99th percentile and worst of `ms`.
inline Stats statsOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back()};
}

inline Stats timeEach(int runs, const std::function<void(int)>& step) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    for (int i = -20; i < runs; ++i) {
        const auto t0 = Clock::now();
        step(i);
        const double d = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (i >= 0) ms.push_back(d);
    }
    return statsOf(std::move(ms));
}
