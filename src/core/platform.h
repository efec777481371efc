#pragma once

#include <QString>
#include <QtGlobal>

namespace velo {

// What Linux and Windows do differently; each has its side in platform_linux.cpp and
// platform_win.cpp. The user's settings store is openUserSettings() (port_settings.h).

// Whether the process `pid` still runs; one that ended but was not yet reaped does not.
bool processRuns(qint64 pid);

// The folder of the program's own data for this user (Tune History): the XDG data folder
// on Linux, the user's application data folder on Windows.
QString userDataFolder();

// Before printing the usage or the version: a window program on Windows has no console
// of its own, so it prints to the one it was started from.
void useStartingConsole();

}  // namespace velo
