#include "link/link_timing.h"

#include "core/app_context.h"
#include "data/config_image.h"

#include <chrono>

namespace velo {

void LinkTiming::pause(int micros) {
    const double end = seconds() + micros / 1e6;
    do {
        letMessagesRun(true);
    } while (seconds() < end);
}

double SystemTiming::seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SystemTiming::letMessagesRun(bool userInput) {
    velo::letMessagesRun(userInput);
}

}  // namespace velo
