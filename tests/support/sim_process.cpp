#include "support/sim_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <csignal>

namespace velo::test {

QString SimProcess::binary(const QString& name) {
    const QString dir = qEnvironmentVariableIsSet("VELO_BIN_DIR")
                            ? qEnvironmentVariable("VELO_BIN_DIR")
                            : QString(VELO_BIN_DIR);
    return QDir(dir).absoluteFilePath(name);
}

SimProcess::SimProcess(const QStringList& options) {
    const QString ready = dir_.filePath("device");
    process_.setProgram(binary("igx1-sim"));
    process_.setArguments(QStringList{"--ready", ready} + options);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start();
    if (!process_.waitForStarted(5000)) {
        error_ = "igx1-sim did not start: " + process_.errorString();
        return;
    }
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
        QFile f(ready);
        if (f.open(QIODevice::ReadOnly)) {
            device_ = QString::fromUtf8(f.readAll()).trimmed();
            if (!device_.isEmpty()) return;
        }
        if (process_.state() == QProcess::NotRunning) break;
        QThread::msleep(5);
    }
    process_.waitForFinished(100);
    error_ = "igx1-sim did not come up: " + QString::fromLocal8Bit(process_.readAllStandardError());
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
