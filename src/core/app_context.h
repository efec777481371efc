#pragma once

#include "core/copy_store.h"
#include "core/interaction.h"
#include "core/main_state.h"

namespace velo {

class ConfigImage;
class TuneHistory;

// A word to the user beside the message boxes (the status bar in the window).
class Notices {
  public:
    virtual ~Notices() = default;
    // Said once; the next notice replaces it.
    virtual void notice(const QString& text) = 0;
    // Something the user must act on, shown until cleared with an empty text.
    virtual void warning(const QString& text) = 0;
};

// The window's own commands that widget-free workflows end in.
class WindowCommands {
  public:
    virtual ~WindowCommands() = default;
    virtual void editModParams() = 0;  // mnuEditModParams_Click
    virtual void chartSetup3D() = 0;   // ChartSetup3D for the MAP sensor in use
    // A data file was opened or saved (Recent Files).
    virtual void fileUsed(const QString& path) = 0;
};

// Keeps the open table's unsaved edits before something drops them (the table editor).
class TableEditsKeeper {
  public:
    virtual ~TableEditsKeeper() = default;
    virtual void keepEdits(const QString& note) = 0;
};

// Nobody listening: the command-line tool, and tests that do not ask.
class NoHooks : public Notices, public WindowCommands, public TableEditsKeeper {
  public:
    void notice(const QString&) override {}
    void warning(const QString&) override {}
    void editModParams() override {}
    void chartSetup3D() override {}
    void fileUsed(const QString&) override {}
    void keepEdits(const QString&) override {}
};
NoHooks& noHooks();

// What a command works on: the shared image, the window state and the user, and who
// above hears of it.
struct AppContext {
    AppContext(ConfigImage& i, MainState& s, UserInteraction& u) : image(i), state(s), ui(u) {}

    ConfigImage& image;
    MainState& state;
    UserInteraction& ui;
    // The last Copy; Edit, Save and Close of the table empty it.
    CopyStore copyStore;
    // Never null.
    Notices* notices = &noHooks();
    WindowCommands* window = &noHooks();
    TableEditsKeeper* tableEdits = &noHooks();
    // Where every image seen is kept; null: no history this run.
    TuneHistory* history = nullptr;
    // Whether Save File and Upload ask to write a table the trigger timing moved as shown.
    bool askTableAsShown = true;

    void tell(const QString& text) const { notices->notice(text); }
    void warn(const QString& text) const { notices->warning(text); }
};

// Lets window messages run. Without user input the port still delivers its bytes and
// the window redraws, but no menu command or key can start.
void letMessagesRun(bool userInput = true);

}  // namespace velo
