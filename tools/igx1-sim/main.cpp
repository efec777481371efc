// igx1-sim: a simulated IGX-1 controller on a pseudo-terminal.
#include "controller.h"
#include "sim_options.h"
#include "usb_adapter.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace igx1sim {

namespace {

using Clock = std::chrono::steady_clock;

// 10 bits at 56000 baud: a pseudo-terminal has no line time of its own.
constexpr auto kByteTime = std::chrono::nanoseconds(178571);
// A command whose remaining bytes stay away this long is given up.
constexpr auto kPartialTimeout = std::chrono::seconds(1);
// With --busy, how long after a byte the line is watched without sleeping.
constexpr auto kBusyWindow = std::chrono::milliseconds(10);

volatile std::sig_atomic_t stopSignal = 0;

void onSignal(int sig) {
    stopSignal = sig;
}

// Waits until `t` on the monotonic clock; sleeping would overshoot the line time.
void spinUntil(Clock::time_point t) {
    const auto now = Clock::now();
    if (t - now > std::chrono::milliseconds(3))
        poll(nullptr, 0,
             int(std::chrono::duration_cast<std::chrono::milliseconds>(t - now).count()) - 2);
    while (Clock::now() < t) {
    }
}

bool loadImage(const std::string& path, std::array<uint8_t, kEepromSize>& eeprom,
               std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<char> bytes(kImageSize);
    in.read(bytes.data(), kImageSize);
    if (in.gcount() < kImageSize) {
        error = path + " holds " + std::to_string(in.gcount()) + " bytes, a data file has " +
                std::to_string(kImageSize);
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), eeprom.begin() + kImageFirst);
    return true;
}

// Written beside the target and renamed over it, so a reader never sees half a file.
bool writeAtomically(const std::string& path, const void* data, size_t size) {
    const std::string temp = path + ".part";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, data, size) == ssize_t(size) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

class Simulator {
  public:
    explicit Simulator(const SimOptions& options)
        : options_(options), controller_(options), adapter_(options.adapterLatencyMs) {}

    int run();

  private:
    bool openLine(std::string& device);
    void log(const char* what, uint8_t byte, const std::string& note = {}) const;
    void receive(uint8_t byte);
    void send(const Answer& answer);
    void unplug();
    int finish(int status);

    const SimOptions& options_;
    Controller controller_;
    UsbAdapterHold adapter_;
    int master_ = -1;
    int slave_ = -1;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lineFree_ = start_;  // when the receive line has carried the last byte
    Clock::time_point lastByte_ = start_;
    bool unplugged_ = false;
};

bool Simulator::openLine(std::string& device) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
    const char* name = ptsname(master_);
    if (!name) return false;
    device = name;
    // Held open by us too, so the line survives the program closing and reopening it.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) return false;
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    return true;
}

void Simulator::log(const char* what, uint8_t byte, const std::string& note) const {
    if (!options_.verbose) return;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    std::fprintf(stderr, "%10.3f ms %s 0x%02X%s%s\n", ms, what, byte, note.empty() ? "" : "  ",
                 note.c_str());
}

void Simulator::receive(uint8_t byte) {
    // The byte reaches the controller once the line has carried it.
    const auto now = Clock::now();
    lineFree_ = std::max(lineFree_, now) + kByteTime;
    spinUntil(lineFree_);
    lastByte_ = Clock::now();
    auto answer = controller_.feed(byte);
    log("rx", byte, answer ? answer->note : std::string());
    if (answer) send(*answer);
}

void Simulator::send(const Answer& answer) {
    const Faults& faults = options_.faults;
    const int delayMs = faults.value(Fault::DelayMs);
    const auto delayAt = faults.values(Fault::DelayAt);
    if (delayMs > 0 && (delayAt.empty() || faults.at(Fault::DelayAt, controller_.commandCount())))
        spinUntil(Clock::now() + std::chrono::milliseconds(delayMs));
    const auto split = std::chrono::microseconds(faults.value(Fault::SplitUs));
    // Bytes held in the adapter go out together when its packet leaves.
    std::vector<uint8_t> held;
    Clock::time_point leaves{};
    auto passOn = [&] {
        spinUntil(leaves);
        const bool ok = ::write(master_, held.data(), held.size()) == ssize_t(held.size());
        for (uint8_t b : held) log("tx", b);
        held.clear();
        return ok;
    };
    for (size_t i = 0; i < answer.bytes.size(); ++i) {
        if (i > 0 && split.count() > 0) spinUntil(Clock::now() + split);
        spinUntil(Clock::now() + kByteTime);
        const auto arrival = Clock::now();
        const auto at =
            start_ +
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                adapter_.release(std::chrono::duration<double>(arrival - start_).count())));
        if (!held.empty() && at != leaves && !passOn()) return;
        leaves = at;
        held.push_back(answer.bytes[i]);
    }
    if (!held.empty() && !passOn()) return;
    if (answer.unplug) unplug();
}

void Simulator::unplug() {
    // Closing both ends hangs up the program's side, as a pulled USB adapter does.
    ::close(master_);
    ::close(slave_);
    master_ = slave_ = -1;
    unplugged_ = true;
    if (options_.verbose) std::fprintf(stderr, "adapter pulled out\n");
}

int Simulator::finish(int status) {
    if (!options_.saveFile.empty()) {
        const auto& e = controller_.eeprom();
        if (!writeAtomically(options_.saveFile, e.data() + kImageFirst, kImageSize)) {
            std::fprintf(stderr, "igx1-sim: cannot write %s: %s\n", options_.saveFile.c_str(),
                         std::strerror(errno));
            return 2;
        }
    }
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    return status;
}

int Simulator::run() {
    std::string error;
    if (!options_.imageFile.empty() &&
        !loadImage(options_.imageFile, controller_.eeprom(), error)) {
        std::fprintf(stderr, "igx1-sim: %s\n", error.c_str());
        return 2;
    }
    std::string device;
    if (!openLine(device)) {
        std::fprintf(stderr, "igx1-sim: cannot create a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return 2;
    }
    // Junk from an earlier session, waiting for whoever opens the line first.
    for (int i = 0; i < options_.faults.value(Fault::Garbage); ++i) {
        const uint8_t junk = uint8_t(0xA5 ^ (i * 37));
        if (::write(master_, &junk, 1) != 1) break;
    }
    std::printf("%s\n", device.c_str());
    std::fflush(stdout);
    if (!options_.readyFile.empty() &&
        !writeAtomically(options_.readyFile, (device + "\n").data(), device.size() + 1)) {
        std::fprintf(stderr, "igx1-sim: cannot write %s\n", options_.readyFile.c_str());
        return finish(2);
    }

    while (!stopSignal && !unplugged_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        // Mid-transfer the next command is due within milliseconds; without sleeping it
        // is answered as a controller would, not after the scheduler's wake-up.
        const bool busy = options_.busy && Clock::now() - lastByte_ < kBusyWindow;
        const int n = poll(fds, options_.stdinQuit ? 2 : 1, busy ? 0 : 200);
        if (n < 0 && errno != EINTR) break;
        if (options_.stdinQuit && (fds[1].revents & (POLLIN | POLLHUP))) {
            char sink[256];
            if (::read(STDIN_FILENO, sink, sizeof sink) <= 0) break;
        }
        if (fds[0].revents & POLLIN) {
            uint8_t buffer[256];
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < got && !unplugged_; ++i) receive(buffer[i]);
        }
        if (controller_.midCommand() && Clock::now() - lastByte_ > kPartialTimeout)
            controller_.dropPartial();
    }
    return finish(unplugged_ ? 3 : 0);
}

}  // namespace

}  // namespace igx1sim

int main(int argc, char** argv) {
    using namespace igx1sim;
    const ParseResult parsed = parseArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        if (parsed.error.empty()) {
            std::fputs(helpText().c_str(), stdout);
            return 0;
        }
        std::fprintf(stderr, "igx1-sim: %s\nTry 'igx1-sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
    return Simulator(*parsed.options).run();
}
