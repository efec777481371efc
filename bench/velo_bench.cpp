// Link benchmark: a download and an upload against igx1-sim, with the program's own
// time at each step set against the pauses the protocol asks for there.
#include "chart3d_bench.h"
#include "chart_bench.h"
#include "core/scripted_interaction.h"
#include "core/tune_history.h"
#include "data/data_file.h"
#include "link/controller_link.h"
#include "link/port_decorator.h"
#include "link/protocol.h"
#include "support/sim_process.h"
#include "usb_adapter.h"

#include "grid_bench.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

using namespace velo;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kByteMs = 1000.0 * protocol::kBitsPerByte / protocol::kBaud;

double msSince(Clock::time_point t0, Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(t - t0).count();
}

// Every byte written and every answer as the program first sees it waiting, with the
// run it belongs to.
class MeasuringPort : public PortDecorator {
  public:
    struct Event {
        bool sent;  // false: an answer has come in
        uint8_t byte;
        Clock::time_point at;
        QString phase;
    };

    MeasuringPort(std::unique_ptr<SerialPort> inner, const MainState& state)
        : PortDecorator(std::move(inner)), state_(state) {}

    int bytesWaiting() override {
        const int n = PortDecorator::bytesWaiting();
        if (n > 0 && awaiting_) {
            awaiting_ = false;
            events.push_back({false, 0, Clock::now(), phase()});
        }
        return n;
    }
    void writeByte(uint8_t byte) override {
        PortDecorator::writeByte(byte);
        events.push_back({true, byte, Clock::now(), phase()});
        awaiting_ = true;
    }

    std::vector<Event> events;

  private:
    QString phase() const {
        return state_.progressVisible() ? state_.progressCaption() : QString();
    }
    const MainState& state_;
    bool awaiting_ = false;
};

struct Gaps {
    std::vector<double> ms;
    double mean() const {
        double s = 0;
        for (double v : ms) s += v;
        return ms.empty() ? 0 : s / double(ms.size());
    }
    double percentile(double p) const {
        if (ms.empty()) return 0;
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
    }
};

// Per byte of a run: the time from the answer reaching the program to its next byte,
// summed over the steps of one byte.
Gaps perByteGaps(const std::vector<MeasuringPort::Event>& ev, const QString& phase) {
    Gaps g;
    for (size_t i = 2; i < ev.size(); ++i) {
        if (ev[i].phase != phase || !ev[i].sent) continue;
        const auto& prev = ev[i - 1];
        if (phase == "Programming EEPROM") {
            // ack → 0x16, then 0x16 → data: both are the program's own time.
            if (ev[i].byte != protocol::kWriteByte || prev.sent || i + 1 >= ev.size()) continue;
            const auto& data = ev[i + 1];
            if (!data.sent || data.phase != phase) continue;
            const auto& lastWrite = ev[i - 2];
            if (!lastWrite.sent || lastWrite.phase != phase) continue;
            // The first 0x16 follows the address ack, not a byte's ack.
            if (i < 3 || ev[i - 3].byte != protocol::kWriteByte) continue;
            g.ms.push_back(msSince(prev.at, ev[i].at) + msSince(ev[i].at, data.at));
        } else {
            if (ev[i].byte != protocol::kReadByte || prev.sent) continue;
            if (ev[i - 2].byte != protocol::kReadByte || !ev[i - 2].sent) continue;
            g.ms.push_back(msSince(prev.at, ev[i].at));
        }
    }
    return g;
}

struct RunReport {
    const char* phase;
    double requiredMs;
};

double delayTimerStats(ControllerLink& link, int ms, double& worst) {
    std::vector<double> d;
    for (int i = 0; i < 200; ++i) {
        const auto t0 = Clock::now();
        link.DelayTimer(ms);
        d.push_back(msSince(t0, Clock::now()));
    }
    std::sort(d.begin(), d.end());
    worst = d.back();
    return d[d.size() / 2];
}

// How much later than the line alone an adapter with `latencyMs` passes on the last byte
// of an answer of `bytes` bytes.
double adapterDelayMs(int latencyMs, int bytes) {
    igx1sim::UsbAdapterHold hold(latencyMs);
    double last = 0;
    for (int i = 1; i <= bytes; ++i) last = hold.release(i * kByteMs / 1000.0);
    return last * 1000.0 - bytes * kByteMs;
}

struct Transfers {
    double downloadMs = 0, uploadMs = 0;
    int idLength = 0;
};

// A download and an upload through a fresh simulator whose answers come through an
// adapter with `latencyMs`.
std::optional<Transfers> timeTransfers(int latencyMs) {
    const QString demo = QDir(test::SimProcess::binary("")).filePath("demo_3d.dat");
    test::SimProcess sim(
        {"--image", demo, "--busy", "--adapter-latency", QString::number(latencyMs)});
    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx(image, state, ui);
    const QString device = sim.device();
    ControllerLink link(ctx, makeSystemPort([device](int) { return device; }));
    Transfers t;
    auto t0 = Clock::now();
    const bool down = link.download() == TransferOutcome::Completed;
    t.downloadMs = msSince(t0, Clock::now());
    t.idLength = state.FirmwareID.size();
    t0 = Clock::now();
    const bool up = down && link.upload() == TransferOutcome::Completed;
    t.uploadMs = msSince(t0, Clock::now());
    if (up) return t;
    std::fprintf(stderr, "velo-bench: the transfers at %d ms did not complete:\n%s\n", latencyMs,
                 qPrintable(ui.texts().join('\n')));
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (const int failed = runChartBench()) return failed;
    if (const int failed = runChart3DBench()) return failed;
    const QString demo = QDir(test::SimProcess::binary("")).filePath("demo_3d.dat");
    test::SimProcess sim({"--image", demo, "--busy"});

    ConfigImage image;
    MainState state;
    ScriptedInteraction ui;
    AppContext ctx(image, state, ui);
    const QString device = sim.device();
    auto measuring =
        std::make_unique<MeasuringPort>(makeSystemPort([device](int) { return device; }), state);
    MeasuringPort* port = measuring.get();
    ControllerLink link(ctx, std::move(measuring));

    auto t0 = Clock::now();
    const TransferOutcome down = link.download();
    const double downloadMs = msSince(t0, Clock::now());
    const size_t downloadEvents = port->events.size();
    const int idLength = state.FirmwareID.size();
    t0 = Clock::now();
    const TransferOutcome up = down == TransferOutcome::Completed ? link.upload() : down;
    const double uploadMs = msSince(t0, Clock::now());
    if (down != TransferOutcome::Completed || up != TransferOutcome::Completed) {
        std::fprintf(stderr, "velo-bench: the transfers did not complete:\n%s\n",
                     qPrintable(ui.texts().join('\n')));
        return 1;
    }

    std::printf("Link benchmark against igx1-sim on %s (line time %.4f ms per byte)\n\n",
                qPrintable(device), kByteMs);
    std::printf("%-20s %6s %12s %12s %8s %10s %10s\n", "run", "bytes", "own ms/byte", "pauses ms",
                "ratio", "p99 ms", "worst ms");
    const RunReport runs[] = {
        {"Reading EEPROM", 7.0}, {"Programming EEPROM", 4.0}, {"Verifying EEPROM", 2.0}};
    for (const RunReport& r : runs) {
        const Gaps g = perByteGaps(port->events, r.phase);
        std::printf("%-20s %6zu %12.4f %12.1f %8.4f %10.4f %10.4f\n", r.phase, g.ms.size(),
                    g.mean(), r.requiredMs, g.mean() / r.requiredMs, g.percentile(0.99),
                    g.percentile(1.0));
    }

    // The floor: every pause the protocol asks for plus the line time of every byte
    // each way. Download: resync, status and identification (2 ms each), the address
    // (three bytes, two pauses between them and one after the ack), then per byte 2 + 5 ms.
    const int bytes = ControllerLink::kLastAddress - ControllerLink::kFirstAddress + 1;
    const double connectPauses = 3 * 2.0, addressPauses = 3 * 2.0;
    const int connectBytes = 2 + 2 + 1 + idLength + 1, addressBytes = 4;
    const double downloadFloor = connectPauses + addressPauses + bytes * 7.0 +
                                 (connectBytes + addressBytes + bytes * 2) * kByteMs;
    // Upload: the same connection, programming (2 + 2 ms and three bytes per byte),
    // verification (2 ms and two bytes per byte), then the reset: four pauses in the
    // key, the full second of waiting for a second answer byte, a last pause.
    const double uploadFloor =
        connectPauses + 2 * addressPauses + bytes * 4.0 + bytes * 2.0 + 4 * 2.0 + 1000.0 + 2.0 +
        (connectBytes + 2 * addressBytes + bytes * 3 + bytes * 2 + 5 + 1) * kByteMs;
    // Through an adapter every one-byte answer and the identification wait in it; the
    // reset's answer waits inside the second the reset waits anyway.
    auto adapterMs = [&](int latency, int oneByteAnswers, int id) {
        return oneByteAnswers * adapterDelayMs(latency, 1) + adapterDelayMs(latency, id + 1);
    };
    const int downloadAnswers = 2 + 1 + bytes, uploadAnswers = 2 + 2 + 2 * bytes;
    std::printf("\n%-10s %10s %10s %8s\n", "workflow", "ms", "floor ms", "ratio");
    std::printf("%-10s %10.1f %10.1f %8.4f\n", "download", downloadMs, downloadFloor,
                downloadMs / downloadFloor);
    std::printf("%-10s %10.1f %10.1f %8.4f\n", "upload", uploadMs, uploadFloor,
                uploadMs / uploadFloor);
    // Where the download's time beyond the floor went: the program's own steps, or the
    // wait from a command byte leaving to its answer showing up (line time plus the
    // pseudo-terminal's and the simulator's latency).
    double waiting = 0;
    int commands = 0;
    for (size_t i = 1; i < downloadEvents; ++i) {
        const auto& e = port->events[i];
        if (e.sent || !port->events[i - 1].sent) continue;
        waiting += msSince(port->events[i - 1].at, e.at);
        ++commands;
    }
    // With Tune History, the upload first reads and keeps the controller's tune: the same
    // upload with and without that read.
    QTemporaryDir historyDir;
    TuneHistory store(historyDir.filePath("history.sqlite"));
    ctx.history = &store;
    double withRead = 0, withoutRead = 0;
    for (const bool readFirst : {true, false}) {
        link.readBeforeUpload = readFirst;
        t0 = Clock::now();
        const TransferOutcome outcome = link.upload();
        (readFirst ? withRead : withoutRead) = msSince(t0, Clock::now());
        if (outcome != TransferOutcome::Completed) {
            std::fprintf(stderr, "velo-bench: the upload with history did not complete\n");
            return 1;
        }
    }
    ctx.history = nullptr;
    std::printf("%-10s %10.1f %10.1f %8.4f  (read first, kept in Tune History)\n", "upload",
                withRead, uploadFloor + downloadFloor, withRead / (uploadFloor + downloadFloor));
    std::printf("%-10s %10.1f %10.1f %8.4f  (no read first, Tune History on)\n", "upload",
                withoutRead, uploadFloor, withoutRead / uploadFloor);
    std::printf("the read first costs %.1f ms\n", withRead - withoutRead);
    std::printf("download: %.1f ms waiting for %d answers, %.1f ms in the program's own steps\n",
                waiting, commands, downloadMs - waiting);
    std::printf("(%zu events in the download, %zu in all)\n\n", downloadEvents,
                port->events.size());
    std::printf("Through a USB adapter (igx1-sim --adapter-latency MS):\n");
    std::printf("%-8s %12s %10s %8s %12s %10s %8s\n", "latency", "download ms", "floor ms", "ratio",
                "upload ms", "floor ms", "ratio");
    for (int latency : {0, 1, 16}) {
        const auto t = timeTransfers(latency);
        if (!t) return 1;
        const double downFloor = downloadFloor + adapterMs(latency, downloadAnswers, t->idLength);
        const double upFloor = uploadFloor + adapterMs(latency, uploadAnswers, t->idLength);
        std::printf("%5d ms %12.1f %10.1f %8.4f %12.1f %10.1f %8.4f\n", latency, t->downloadMs,
                    downFloor, t->downloadMs / downFloor, t->uploadMs, upFloor,
                    t->uploadMs / upFloor);
    }
    std::printf("\n");

    for (int ms : {2, 5}) {
        double worst = 0;
        const double median = delayTimerStats(link, ms, worst);
        std::printf("DelayTimer(%d) over 200 calls: median %.4f ms, worst %.4f ms\n", ms, median,
                    worst);
    }
    runGridBench();
    return 0;
}
