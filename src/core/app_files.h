#pragma once

#include <QString>
#include <utility>

namespace velo {

// Where the program finds the files it ships with (configuration, logo, chart templates,
// user guide, demo images): beside the program first, so a build folder or an unpacked
// copy runs as it is and a file put there overrides the installed one; then in the data
// folder the package installs them to.
class AppFiles {
  public:
    AppFiles() = default;
    // Looks in `folder` alone unless a data folder is given: a caller naming a folder means
    // that folder, whatever is installed.
    AppFiles(QString folder, QString data = {})
        : ownFolder(std::move(folder)), dataFolder(std::move(data)) {}
    // The program's own folder, then the installed data folder.
    static AppFiles ofProgram();

    // The first folder that has `name`; with none, its place in the own folder, so that a
    // "not found" message still names where it was looked for.
    QString path(const QString& name) const;

    QString ownFolder;
    QString dataFolder;
};

// The data folder the package installs to, fixed when the program is built.
QString installedDataFolder();

}  // namespace velo
