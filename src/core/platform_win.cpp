#include "core/platform.h"
#include "core/port_settings.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdio>

#include <windows.h>
// Needs windows.h first.
#include <shlobj.h>

namespace velo {

bool processRuns(qint64 pid) {
    if (pid <= 0) return false;
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    // Another user's program: it runs, but this user may not look at it.
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
    // An ended process whose handle someone still holds is signalled, not running.
    const bool runs = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return runs;
}

QString userDataFolder() {
    // The tests keep each run's Tune History apart through XDG_DATA_HOME, as on Linux.
    const QString moved = qEnvironmentVariable("XDG_DATA_HOME");
    if (!moved.isEmpty()) return moved + "/velo-igx";
    // The roaming application data folder itself: the application name changes while the
    // program starts (the splash form has its own), so Qt's AppDataLocation would move.
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    ::CoTaskMemFree(path);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return folder + "/Velo IGX";
}

void useStartingConsole() {
    // Output sent to a file or a pipe already goes there.
    if (::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN) return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

// Where Windows programs of this kind keep their settings, so a port chosen there is the
// one this program opens; ours sit beside it.
std::unique_ptr<QSettings> openUserSettings() {
    return std::make_unique<QSettings>(
        QString("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\%1").arg(kAppTitle),
        QSettings::NativeFormat);
}

}  // namespace velo
