#include "core/app_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace velo {

AppFiles AppFiles::ofProgram() {
    return AppFiles(QCoreApplication::applicationDirPath(), installedDataFolder());
}

QString AppFiles::path(const QString& name) const {
    const QString own = QDir(ownFolder).filePath(name);
    if (QFileInfo::exists(own) || dataFolder.isEmpty()) return own;
    const QString data = QDir(dataFolder).filePath(name);
    return QFileInfo::exists(data) ? data : own;
}

QString installedDataFolder() {
    return QStringLiteral(VELO_DATA_DIR);
}

}  // namespace velo
