#include "data/table_as_shown.h"

#include "core/numeric.h"
#include "core/run_error.h"
#include "data/timing_limits.h"

#include <cmath>
#include <vector>

namespace velo {

namespace {

// Offset and array value of each cell of the table in use, in image order.
std::vector<std::pair<int, double>> cellsInUse(const ConfigImage& im) {
    std::vector<std::pair<int, double>> cells;
    const int cols = ConfigImage::kRpmColumns;
    if (im.Table3DEnabled) {
        for (int r = ConfigImage::kMapRows; r >= 1; --r)
            for (int k = 1; k <= cols; ++k)
                cells.push_back({ConfigImage::offset3D(k, r), im.Table3D(k, r)});
    } else if (im.Table2DEnabled) {
        for (int k = 1; k <= cols; ++k)
            cells.push_back({ConfigImage::offset2D(k), im.Table2D(k, 1)});
    }
    return cells;
}

}  // namespace

std::optional<TableShift> tableShift(const ConfigImage& image) {
    ConfigImage sent = image;
    try {
        sent.UpdateEEPROM();
    } catch (const RunError&) {
        return std::nullopt;  // the save or upload reports it
    }
    sent.UpdateParams();
    const auto shown = cellsInUse(image), read = cellsInUse(sent);
    if (shown.empty()) return std::nullopt;
    // A cell the dialog moved to a bound of its window tells less than the shift; any
    // other one tells it whole.
    const int now = sent.TrigTiming;
    const double low = lowestValue(LimitRule::ParamsOk, TableKind::Table2D, now) + 1e-6,
                 high = now - 1e-6;
    double inside = 0, any = 0;
    bool seen = false;
    for (size_t i = 0; i < shown.size(); ++i) {
        const double d = shown[i].second - read[i].second;
        if (std::abs(d) > std::abs(any)) any = d;
        if (shown[i].second <= low || shown[i].second >= high) continue;
        seen = true;
        if (std::abs(d) > std::abs(inside)) inside = d;
    }
    const int shift = int(std::lround(seen ? inside : any));
    if (shift == 0) return std::nullopt;
    return TableShift{now + shift, now};
}

bool writeTableAsShown(ConfigImage& image) {
    const auto cells = cellsInUse(image);
    std::vector<uint8_t> counts;
    try {
        for (const auto& [offset, advance] : cells)
            counts.push_back(ConfigImage::encodeCell(image.TrigTiming, advance));
    } catch (const RunError&) {
        return false;
    }
    for (size_t i = 0; i < cells.size(); ++i) image.DataBuffer[cells[i].first] = counts[i];
    return true;
}

void offerTableAsShown(AppContext& ctx) {
    if (!ctx.askTableAsShown || ctx.image.BufferEmpty || ctx.state.tableOpen()) return;
    const auto shift = tableShift(ctx.image);
    if (!shift) return;
    const int d = shift->writtenFor - shift->now;
    const QString text =
        QString(
            "The timing table in the buffer was written for trigger timing %1%4; with %2%4 "
            "every cell runs %3%4 %5 advance than the grid shows. Write the table as the "
            "grid shows it?")
            .arg(shift->writtenFor)
            .arg(shift->now)
            .arg(formatFixed(std::abs(d), 1), QString(QChar(0xB0)), d > 0 ? "less" : "more");
    if (ctx.ui.message("Timing Table", text, Buttons::YesNo, Icon::Question) == Answer::Yes)
        writeTableAsShown(ctx.image);
}

}  // namespace velo
