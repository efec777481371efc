#include "core/error_report.h"

namespace velo {

Answer ErrorReport(UserInteraction& ui, const RunError& error) {
    return ui.message("Error", error.description, Buttons::AbortRetryIgnore, Icon::Critical);
}

bool Trap::step(const std::function<void()>& statement) {
    if (aborted_) return false;
    for (;;) {
        try {
            statement();
            return true;
        } catch (const RunError& e) {
            last_ = e;
            switch (ErrorReport(ui_, e)) {
                case Answer::Retry:
                    continue;
                case Answer::Ignore:
                    return true;
                default:
                    aborted_ = true;
                    if (closing_) closing_();
                    return false;
            }
        }
    }
}

}  // namespace velo
