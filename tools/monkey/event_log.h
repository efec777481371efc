#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <string>

namespace monkey {

// The last events, for the report of a failure; the watchdog reads them from its thread.
class EventLog {
  public:
    void add(const QString& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(QString("#%1 %2").arg(++count_).arg(line).toStdString());
        // Kinds: the first word, and the command for menus and boxes' titles.
        const QStringList words = line.trimmed().split(' ');
        kinds_[(words[0] == "menu" || words[0] == "popup" || words[0] == "reject"
                    ? words.mid(0, 2).join(' ')
                    : words[0])
                   .toStdString()]++;
        if (lines_.size() > 50) lines_.pop_front();
        if (trace) std::fprintf(stderr, "%s\n", lines_.back().c_str());
    }
    long count() const { return count_.load(); }
    void dump(const char* why) {
        std::lock_guard lock(mutex_);
        std::fprintf(stderr, "\n=== velo-monkey: %s after %ld events, seed %llu ===\n", why,
                     count_.load(), (unsigned long long)seed);
        std::fprintf(stderr, "The last %zu events:\n", lines_.size());
        for (const auto& l : lines_) std::fprintf(stderr, "  %s\n", l.c_str());
        std::fprintf(stderr, "Replay: make monkey MONKEY_SEED=%llu%s\n", (unsigned long long)seed,
                     switches.c_str());
        std::fflush(stderr);
    }
    void printKinds() {
        std::lock_guard lock(mutex_);
        std::string out;
        for (const auto& [k, n] : kinds_) out += k + " " + std::to_string(n) + ", ";
        std::fprintf(stderr, "Events by kind: %s\n", out.c_str());
    }
    unsigned long long seed = 0;
    std::string switches;  // the make variables that turn on what this run added
    bool trace = false;

  private:
    std::map<std::string, long> kinds_;
    std::mutex mutex_;
    std::deque<std::string> lines_;
    std::atomic<long> count_{0};
};

// The one log of the run, and when the window last answered (the watchdog reads it).
extern EventLog events;
extern std::atomic<int64_t> heartbeatMs;
int64_t nowMs();

// A sanitizer report, a crash, an abort or a fatal Qt message prints the last events.
void reportFailures();

}  // namespace monkey
