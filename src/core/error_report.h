#pragma once

#include "core/interaction.h"
#include "core/run_error.h"

#include <functional>

namespace velo {

// The shared error report: the error's description with Abort, Retry and Ignore, the
// critical icon and the title "Error".
Answer ErrorReport(UserInteraction& ui, const RunError& error);

// The error trap of one procedure. Each statement that may fail runs through step():
// on a run-time error the user is asked; Retry runs the statement again, Ignore goes on
// with the next one, Abort runs the procedure's closing steps once and makes every later
// step a no-op that returns false, so the procedure can simply return.
class Trap {
  public:
    explicit Trap(UserInteraction& ui, std::function<void()> closing = {})
        : ui_(ui), closing_(std::move(closing)) {}

    bool step(const std::function<void()>& statement);
    bool aborted() const { return aborted_; }
    // The last error reported through this trap, whatever the answer was.
    const RunError& lastError() const { return last_; }

  private:
    UserInteraction& ui_;
    std::function<void()> closing_;
    bool aborted_ = false;
    RunError last_;
};

}  // namespace velo
