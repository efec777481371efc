#include "link/link_timing.h"

#include "app/app_context.h"

#include <chrono>

namespace velo {

double SystemTiming::seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SystemTiming::letMessagesRun(bool userInput) {
    velo::letMessagesRun(userInput);
}

}  // namespace velo
