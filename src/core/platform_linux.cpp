#include "core/platform.h"
#include "core/port_settings.h"

#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>

namespace velo {

bool processRuns(qint64 pid) {
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno != EPERM)) return false;
    // A crashed program not yet reaped by its parent still answers, as a zombie.
    QFile stat(QString("/proc/%1/stat").arg(pid));
    return !stat.open(QIODevice::ReadOnly) || !stat.readAll().contains(") Z ");
}

QString userDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/velo-igx";
}

void useStartingConsole() {}  // the terminal's output is the program's own

std::unique_ptr<QSettings> openUserSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kAppTitle,
                                       kAppTitle);
}

}  // namespace velo
