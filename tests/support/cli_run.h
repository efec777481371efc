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

// Run in `home`, which is its configuration folder too; an empty one: here, with the
// user's own configuration.
inline CliRun runCliIn(const QString& home, const QStringList& args) {
    QProcess p;
    if (!home.isEmpty()) {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(home);
    }
    p.start(VELO_BIN_DIR "/velo-igx-cli", args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

inline CliRun runCli(const QStringList& args) {
    return runCliIn({}, args);
}

}  // namespace velo::test
