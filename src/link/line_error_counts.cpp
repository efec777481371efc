#include "link/line_error_counts.h"

#include "link/serial_port.h"

#if defined(__linux__)
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace velo {

std::vector<int> LineErrorWatch::check() {
    if (!last_) return {};  // no counters at open: none later either
    const std::optional<LineErrorCounts> now = read_();
    if (!now) return {};
    std::vector<int> events;
    // Any change counts: a counter that wrapped round has moved too.
    if (now->frame != last_->frame) events.push_back(kCommFraming);
    if (now->parity != last_->parity) events.push_back(kCommParity);
    if (now->overrun != last_->overrun) events.push_back(kCommOverrun);
    if (now->bufOverrun != last_->bufOverrun) events.push_back(kCommRxOverflow);
    last_ = now;
    return events;
}

// The Windows side is line_error_counts_win.cpp.
#if !defined(_WIN32)
std::optional<LineErrorCounts> driverLineErrorCounts(int fd) {
#if defined(__linux__) && defined(TIOCGICOUNT)
    serial_icounter_struct c{};
    if (fd >= 0 && ::ioctl(fd, TIOCGICOUNT, &c) == 0)
        return LineErrorCounts{c.frame, c.parity, c.overrun, c.buf_overrun};
#else
    (void)fd;
#endif
    return std::nullopt;
}
#endif

}  // namespace velo
