#pragma once

#include <functional>
#include <optional>
#include <vector>

namespace velo {

// The serial driver's running counts of line errors.
struct LineErrorCounts {
    int frame = 0;
    int parity = 0;
    int overrun = 0;
    int bufOverrun = 0;
};

// Qt 6 no longer reports framing or parity errors, so the port compares the driver's
// counters after each batch of received bytes: every counter that moved is one line-error
// event. A device without counters (a pseudo-terminal, some adapters) raises none.
class LineErrorWatch {
  public:
    // The counters now; nullopt where the device keeps none.
    using Reader = std::function<std::optional<LineErrorCounts>()>;
    explicit LineErrorWatch(Reader read) : read_(std::move(read)) {}

    // At open: the counts to compare against.
    void start() { last_ = read_(); }
    void stop() { last_.reset(); }
    // The events (kCommFraming, ...) of the counters that moved since the last look.
    std::vector<int> check();

  private:
    Reader read_;
    std::optional<LineErrorCounts> last_;
};

// `TIOCGICOUNT` on the open device `fd` (on Windows: ClearCommError on its handle, each
// error flag counted); nullopt where the driver does not answer it.
std::optional<LineErrorCounts> driverLineErrorCounts(int fd);

}  // namespace velo
