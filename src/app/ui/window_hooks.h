#pragma once

#include "core/app_context.h"
#include "core/recent_files.h"
#include "table/table_commands.h"

class QSettings;

namespace velo {

class MainWindow;

// What the workflows and the table editor below ask of the window: its commands, its
// status line and its views. Hooked in while it lives.
class WindowHooks : public WindowCommands, public TableWindow {
  public:
    WindowHooks(MainWindow& window, QSettings& settings);
    ~WindowHooks() override;

    void editModParams() override;
    void chartSetup3D() override;
    void fileUsed(const QString& path) override;

    bool loadTemplate2D(const QString& path) override;
    bool loadTemplate3D(const QString& path) override;
    void formResize() override;
    void hideValueLabels() override;
    void clearClipboard() override;
    void showWizard(TableKind kind) override;
    bool previewImport(const ImportPreview& preview, const QString& fileName) override;

  private:
    MainWindow& w_;
    QSettings& settings_;
    RecentFiles recent_;
};

}  // namespace velo
