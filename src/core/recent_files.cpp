#include "core/recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace velo {

namespace {
constexpr const char* kKey = "Recent/Files";
}

QStringList RecentFiles::paths() const {
    QStringList list = s_.value(kKey).toStringList();
    list.removeAll(QString());
    return list.mid(0, kMax);
}

void RecentFiles::add(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList list = paths();
    list.removeAll(absolute);
    list.prepend(absolute);
    s_.setValue(kKey, list.mid(0, kMax));
}

}  // namespace velo
