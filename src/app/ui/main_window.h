#pragma once

#include "app/ui/status_line.h"
#include "core/app_context.h"
#include "core/app_files.h"
#include "core/config_file.h"
#include "core/main_state.h"
#include "core/port_settings.h"
#include "data/workbench.h"
#include "link/controller_link.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QMap>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QDialog;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QSettings;

namespace velo {

class HistoryWiring;
class PortSetupFrame;
class TableEditor;
class TableViews;
class TuningAids;
class WindowHooks;

// frmVelo_Main: owns the image, the port and the window state for the whole run.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    struct Options {
        AppFiles files;          // where the help and chart files are found
        QString deviceOverride;  // --device: the device every Com entry reaches this run
    };

    MainWindow(UserInteraction& ui, QSettings& settings, BrandInfo brand, Options options,
               std::unique_ptr<SerialPort> port = nullptr);
    ~MainWindow() override;

    MainState& state() { return state_; }
    ConfigImage& image() { return image_; }
    AppContext& context() { return ctx_; }
    ControllerLink& link() { return *link_; }
    PortSetupFrame* portSetup() const { return portSetup_; }
    QGroupBox* progressFrame() const { return fraProgress1_; }
    // A menu item by its name (mnuDownload, mnuSaveTbl, ...).
    QAction* action(const QString& name) const { return actions_.value(name); }
    QMenu* menu(const QString& name) const { return menus_.value(name); }
    QStringList actionNames() const { return actions_.keys(); }
    QDialog* helpWindow() const { return helpWindow_; }
    TableEditor& tableEditor() { return *tableEditor_; }
    TableViews* tableViews() const { return tableViews_; }
    QLabel* editStatus() const { return status_->editStatus(); }
    StatusLine& statusLine() const { return *status_; }
    HistoryWiring& history() const { return *history_; }

    void Form_Load();
    // True when the exit is cancelled.
    bool Form_QueryUnload();
    void Form_KeyPress(int keyAscii);

    void mnuPortSetup_Click();
    void cboPort_Click(int index);
    void cmdPortSelectOK_Click();
    void mnuEditModParams_Click();
    void mnuEditGPIOParams_Click();
    void mnuCloseTbl_Click();
    void mnuSaveTbl_Click();
    void mnuAbout_Click();
    void mnuHelpContents_Click();
    void mnuExit_Click();
    void Form_Resize();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // One menu item: where it sits, what it runs, and the menu state that enables it.
    struct MenuCommand {
        QString menu, name, caption = {};
        QKeySequence shortcut = {};
        std::function<void()> run = {};
        bool MainState::Menus::*enabledBy = nullptr;
    };
    std::vector<MenuCommand> menuCommands();
    void buildMenus(std::vector<MenuCommand> commands);
    void buildCentral();
    void buildPortSetup(QWidget* central);
    void applyMenus();

    UserInteraction& ui_;
    QSettings& settings_;
    PortSettings portSettings_;
    BrandInfo brand_;
    Options options_;
    Workbench<UserInteraction&> bench_{ui_};
    ConfigImage& image_ = bench_.image;
    MainState& state_ = bench_.state;
    AppContext& ctx_ = bench_.ctx;
    std::unique_ptr<ControllerLink> link_;
    // Each below refers to those above it, and goes first.
    std::unique_ptr<TableEditor> tableEditor_;
    std::unique_ptr<StatusLine> status_;
    std::unique_ptr<WindowHooks> hooks_;
    std::unique_ptr<HistoryWiring> history_;
    std::unique_ptr<TuningAids> aids_;

    QMap<QString, QAction*> actions_;
    QMap<QString, QMenu*> menus_;
    PortSetupFrame* portSetup_ = nullptr;
    QGroupBox* fraProgress1_ = nullptr;
    QDialog* helpWindow_ = nullptr;
    TableViews* tableViews_ = nullptr;
    std::vector<std::pair<QAction*, bool MainState::Menus::*>> enablingRules_;
    bool closing_ = false;
};

}  // namespace velo
