// Grid benchmark: refilling the 3D grid's 168 cells from the table's values and the
// grid's repaint, against a plain repaint of a widget of the same size.
#include "grid_bench.h"

#include "data/config_image.h"
#include "table/table_session.h"
#include "table/ui/timing_grid.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace velo;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename Body>
std::vector<double> timed(int runs, Body body) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        body(i);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return ms;
}

}  // namespace

void runGridBench() {
    constexpr int kRuns = 400;
    // The 3D grid as the first window lays it out on a 1280 x 800 screen.
    const QSize size(1250, 190);
    ConfigImage image;
    TableSession session(TableKind::Table3D, image);
    TimingGrid grid;
    grid.setShape(9, TableSession::kColumns + 1);
    grid.setSession(&session);
    grid.resize(size);
    grid.setColWidthTwips(56 * 15);
    grid.setRowHeightTwips(20 * 15);
    grid.show();
    QWidget plain;
    plain.resize(size);
    plain.show();
    QCoreApplication::processEvents();

    // New values each run, as a whole-table offset leaves them; only the refill is timed.
    std::vector<double> refillMs, copyMs;
    for (int run = 0; run < kRuns; ++run) {
        for (int r = 1; r <= 8; ++r)
            for (int c = 1; c <= TableSession::kColumns; ++c)
                session.setValue(r, c, 8 + (r * 3 + c + run) % 22);
        QCoreApplication::processEvents();
        const auto t0 = Clock::now();
        session.copyChartToGrid();
        copyMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        grid.viewport()->repaint();
        refillMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    const auto plainMs = timed(kRuns, [&](int) { plain.repaint(); });

    const double m = median(refillMs), p = median(plainMs);
    std::printf(
        "\n3D grid refill, 168 cells at %dx%d over %d runs: median %.3f ms, worst %.3f ms "
        "(goal <= 2 ms median)\n",
        size.width(), size.height(), kRuns, m, *std::max_element(refillMs.begin(), refillMs.end()));
    std::printf("  of which the texts from the values: median %.3f ms\n", median(copyMs));
    std::printf("plain repaint of a widget of the same size: median %.3f ms; ratio %.1f\n", p,
                p > 0 ? m / p : 0.0);
}
