#include "simulator.h"

#include "event_log.h"

#include <sys/prctl.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <csignal>

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

// A clean controller most of the time, otherwise one or two of its faults.
QStringList Simulator::randomFaults(Dice& dice) {
    QStringList f;
    if (dice.chance(0.5)) return f;
    for (int n = dice.between(1, 2); n > 0; --n) {
        const QString addr = QString::number(dice.between(16, 279));
        switch (dice.below(15)) {
            case 0:
                f << "--silent-from" << QString::number(dice.between(1, 300));
                break;
            case 1:
                f << "--resync-fail" << QString::number(dice.between(1, 4));
                break;
            case 2:
                f << "--resync-answer"
                  << "0x15";
                break;
            case 3:
                f << "--id-no-cr";
                break;
            case 4:
                f << "--id"
                  << "IGX-2 V1.0";
                break;
            case 5:
                f << "--addr-answer"
                  << "0x15";
                break;
            case 6:
                f << "--write-refuse" << addr;
                break;
            case 7:
                f << "--read-corrupt" << addr;
                break;
            case 8:
                f << "--read-drop" << addr;
                break;
            case 9:
                f << (dice.chance(0.5) ? QStringList{"--reset-silent"}
                                       : QStringList{"--reset-answer", "0x06,0x00"});
                break;
            case 10:
                f << "--delay-at" << QString::number(dice.between(1, 20)) << "--delay-ms"
                  << "1100";
                break;
            case 11:
                f << "--split-us"
                  << "400";
                break;
            case 12:
                f << "--garbage" << QString::number(dice.between(1, 40));
                break;
            case 13:
                f << (dice.chance(0.5) ? "--unplug-read" : "--unplug-write") << addr;
                break;
            default:
                f << "--status"
                  << "0";
                break;
        }
    }
    return f;
}

}  // namespace monkey
