#include "core/error_report.h"

namespace velo {

Answer ErrorReport(UserInteraction& ui, const RunError& error) {
    const Answer a =
        ui.message("Error", error.description, Buttons::AbortRetryIgnore, Icon::Critical);
    if (!error.followUp.isEmpty())
        ui.message("Data Port Setup", error.followUp, Buttons::Ok, Icon::Information);
    return a;
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
