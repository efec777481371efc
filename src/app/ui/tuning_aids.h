#pragma once

#include "core/recent_files.h"

#include <QObject>

class QMenu;
class QSettings;

namespace velo {

class FirstScreenHint;
class MainWindow;

// What the window gains for a tuner's day beside the menu table's rows: the Recent Files
// and Pressure Units submenus (hung on the rows "mnuRecentFiles" and "mnuPressureUnits")
// and the first screen's hint while the buffer is empty.
class TuningAids : public QObject {
  public:
    TuningAids(MainWindow& window, QSettings& settings);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void fillRecentFiles();
    void openRecent(const QString& path);
    void buildUnits();
    void showHint();

    MainWindow& w_;
    QSettings& settings_;
    RecentFiles recent_;
    QMenu* recentMenu_ = nullptr;
    FirstScreenHint* hint_ = nullptr;
};

}  // namespace velo
