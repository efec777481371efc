#include "event_log.h"

#include <sanitizer/common_interface_defs.h>
#include <QtGlobal>
#include <chrono>
#include <csignal>

extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:abort_on_error=1";
}
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace monkey {

EventLog events;
std::atomic<int64_t> heartbeatMs{0};

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

void onSanitizerDeath() {
    events.dump("sanitizer report");
}

// UBSan has a runtime of its own that knows nothing of the death callback: it aborts,
// and the signal brings the report.
void onSignal(int sig) {
    events.dump(sig == SIGABRT ? "abort" : "crash");
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void onQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) return;
    std::fprintf(stderr, "qFatal: %s\n", qPrintable(text));
    events.dump("fatal Qt message");
}

}  // namespace

void reportFailures() {
    __sanitizer_set_death_callback(onSanitizerDeath);
    std::signal(SIGABRT, onSignal);
    std::signal(SIGSEGV, onSignal);
    qInstallMessageHandler(onQtMessage);
}

}  // namespace monkey
