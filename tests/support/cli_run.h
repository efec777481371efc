#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace velo::test {

// velo-igx-cli run to its end, with what it printed.
struct CliRun {
    int exitCode;
    QByteArray out, err;
};

inline CliRun runCli(const QStringList& args) {
    QProcess p;
    p.start(VELO_BIN_DIR "/velo-igx-cli", args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

}  // namespace velo::test
