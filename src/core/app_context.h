#pragma once

#include "core/copy_store.h"
#include "core/interaction.h"
#include "core/main_state.h"

#include <functional>

namespace velo {

class ConfigImage;
class TuneHistory;

// What a command works on: the shared image, the window state and the user. The hooks
// are the window's own commands that widget-free workflows end in; the command-line
// tool leaves them empty.
struct AppContext {
    AppContext(ConfigImage& i, MainState& s, UserInteraction& u) : image(i), state(s), ui(u) {}

    ConfigImage& image;
    MainState& state;
    UserInteraction& ui;
    // The last Copy; Edit, Save and Close of the table empty it.
    CopyStore copyStore;

    std::function<void()> editModParams;  // mnuEditModParams_Click
    std::function<void()> closeTable;     // mnuCloseTbl_Click
    std::function<void()> chartSetup3D;   // ChartSetup3D for the MAP sensor in use
    // A short word to the user beside the message boxes (the status bar in the window).
    std::function<void(const QString&)> notice;
    // Where every image seen is kept; null: no history this run.
    TuneHistory* history = nullptr;
    // Keeps the open table's unsaved edits before something drops them (the table editor).
    std::function<void(const QString& note)> keepTableEdits;
    // Something the user must act on, shown until cleared with an empty text.
    std::function<void(const QString&)> warning;
    // Whether Save File and Upload ask to write a table the trigger timing moved as shown.
    bool askTableAsShown = true;
    // A data file was opened or saved (Recent Files).
    std::function<void(const QString& path)> fileUsed;

    void runEditModParams() const {
        if (editModParams) editModParams();
    }
    void tell(const QString& text) const {
        if (notice) notice(text);
    }
    void warn(const QString& text) const {
        if (warning) warning(text);
    }
    void usedFile(const QString& path) const {
        if (fileUsed) fileUsed(path);
    }
    void runChartSetup3D() const {
        if (chartSetup3D) chartSetup3D();
    }
};

// Lets window messages run. Without user input the port still delivers its bytes and
// the window redraws, but no menu command or key can start.
void letMessagesRun(bool userInput = true);

}  // namespace velo
