#include "link/line_error_counts.h"

#include <windows.h>

#include <cstdint>
#include <map>

namespace velo {

// Windows keeps no running counts: ClearCommError says which line errors happened since it
// was last asked. Each flag it reports adds one to that count, kept per port handle, so
// the watch sees a moved counter as it does with the Linux driver's.
std::optional<LineErrorCounts> driverLineErrorCounts(int fd) {
    // 64-bit Windows keeps handles within 32 bits, so the port's int holds the handle whole.
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd));
    DWORD errors = 0;
    if (handle == INVALID_HANDLE_VALUE || !::ClearCommError(handle, &errors, nullptr))
        return std::nullopt;
    static std::map<int, LineErrorCounts> counts;
    LineErrorCounts& c = counts[fd];
    if (errors & CE_FRAME) ++c.frame;
    if (errors & CE_RXPARITY) ++c.parity;
    if (errors & CE_OVERRUN) ++c.overrun;
    if (errors & CE_RXOVER) ++c.bufOverrun;
    return c;
}

}  // namespace velo
