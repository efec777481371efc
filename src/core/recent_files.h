#pragma once

#include <QStringList>

class QSettings;

namespace velo {

// The data files last opened or saved, newest first, kept in the settings ("Recent/Files").
class RecentFiles {
  public:
    static constexpr int kMax = 8;
    explicit RecentFiles(QSettings& settings) : s_(settings) {}

    QStringList paths() const;
    // Puts `path` first (as an absolute path, once), dropping the oldest past kMax.
    void add(const QString& path);

  private:
    QSettings& s_;
};

}  // namespace velo
