#include "simulator.h"

#include "event_log.h"
#include "sim_options.h"

#include <sys/prctl.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <iterator>

namespace monkey {

Simulator::Simulator(QString binDir, QString root)
    : bin_(std::move(binDir)), root_(std::move(root)) {
    // It goes with the monkey, however the monkey ends.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

void Simulator::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

bool Simulator::start(const QStringList& faults) {
    stop();
    process_.start(bin_ + "/igx1-sim", QStringList{"--image", bin_ + "/demo_3d.dat"} + faults);
    // A busy machine may take seconds to start it: the watchdog is for the window.
    QElapsedTimer waited;
    waited.start();
    while (!process_.canReadLine() && waited.elapsed() < 20000 &&
           process_.state() != QProcess::NotRunning) {
        process_.waitForReadyRead(500);
        heartbeatMs = nowMs();
    }
    const QString pty = QString::fromUtf8(process_.readLine()).trimmed();
    if (pty.isEmpty()) {
        std::fprintf(stderr, "igx1-sim: %s\n", process_.readAllStandardError().constData());
        return false;
    }
    const QString temp = device() + ".new";
    QFile::remove(temp);
    return ::symlink(qPrintable(pty), qPrintable(temp)) == 0 &&
           ::rename(qPrintable(temp), qPrintable(device())) == 0;
}

// A clean controller most of the time, otherwise one or two of its faults (or an odd
// identification or status).
QStringList Simulator::randomFaults(Dice& dice) {
    using igx1sim::kFaultRows;
    QStringList f;
    if (dice.chance(0.5)) return f;
    const int faults = int(std::size(kFaultRows));
    for (int n = dice.between(1, 2); n > 0; --n) {
        const int pick = dice.below(faults + 2);
        if (pick >= faults) {
            f << (pick == faults ? QStringList{"--id", "IGX-2 V1.0"}
                                 : QStringList{"--status", "0"});
            continue;
        }
        const igx1sim::FaultRow& row = kFaultRows[pick];
        if (!row.value && row.low > row.high) continue;  // given only beside another
        f << row.option;
        if (row.arg != igx1sim::Arg::None)
            f << (row.value ? QString(row.value)
                            : QString::number(dice.between(row.low, row.high)));
        if (row.with) f << row.with;
    }
    return f;
}

}  // namespace monkey
