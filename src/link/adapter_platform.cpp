#include "link/adapter_platform.h"

#include <cmath>
#include <initializer_list>

namespace velo {

namespace {
struct ChipRow {
    uint16_t vendor;
    std::initializer_list<uint16_t> products;
    const char* name;
};
const ChipRow kChips[] = {
    {0x0403, {0x6001, 0x6010, 0x6011, 0x6014, 0x6015}, "FTDI"},
    {0x10c4, {0xea60}, "Silicon Labs CP210x"},
    {0x1a86, {0x7523, 0x5523}, "WCH CH340/CH341"},
    {0x067b, {0x2303}, "Prolific PL2303"},
};
}  // namespace

QString adapterChip(std::optional<uint16_t> vendor, uint16_t product) {
    if (!vendor) return {};
    for (const ChipRow& row : kChips)
        if (row.vendor == *vendor)
            for (uint16_t p : row.products)
                if (p == product) return row.name;
    return "other";
}

QString slowAdapterWarning(const QString& device, int ms, const AdapterPlatform& platform) {
    // About 2 s for a download at 1 ms and 5 s at the usual 16 ms, measured on adapters.
    const int seconds = int(std::lround(2.0 + (ms - 1) / 5.0));
    return QString(
               "The adapter on %1 waits %2 ms before passing on each answer; a download "
               "takes about %3 s instead of 2 s. %4")
        .arg(device)
        .arg(ms)
        .arg(seconds)
        .arg(platform.lowLatencyAdvice());
}

}  // namespace velo
