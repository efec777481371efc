#include "support/sim_process.h"

#include <csignal>

namespace velo::test {

SimProcess::SimProcess(const QStringList& options) {
    process_.start(binary("igx1-sim"), options);
    // Its first line names the device, once the line is up.
    while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
    }
    device_ = QString::fromUtf8(process_.readLine()).trimmed();
    if (device_.isEmpty())
        qFatal("igx1-sim did not come up: %s %s", qPrintable(process_.errorString()),
               process_.readAllStandardError().constData());
}

int SimProcess::stop() {
    if (process_.state() != QProcess::NotRunning) {
        ::kill(pid_t(process_.processId()), SIGTERM);
        process_.waitForFinished(5000);
    }
    log_ += process_.readAllStandardError();
    return process_.exitCode();
}

SimProcess::~SimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

}  // namespace velo::test
