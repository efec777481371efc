#pragma once

#include "core/tune_history.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QSettings;

namespace velo {

class BufferAutosave;
class MainWindow;
class TuneHistoryWindow;

// Tune History for the main window: the store every workflow keeps its entries in, the
// buffer and the table's edits written while unsaved, the question after a run that did
// not end cleanly, and the window of File > Tune History.
class HistoryWiring : public QObject {
    Q_OBJECT
  public:
    // Whether the start asks to restore a lost run's work (true unless set false).
    static constexpr const char* kAskToRestoreKey = "TuneHistory/AskToRestore";
    // Set by an exit that kept the buffer; the next start says so and clears it.
    static constexpr const char* kKeptAtExitKey = "TuneHistory/KeptAtExit";
    // Whether an upload first reads and keeps the controller's own tune (true unless set
    // false).
    static constexpr const char* kReadBeforeUploadKey = "TuneHistory/ReadBeforeUpload";

    HistoryWiring(MainWindow& window, QSettings& settings);
    // A run that gets here ended cleanly.
    ~HistoryWiring() override;

    TuneHistory& store() { return *store_; }
    TuneHistoryWindow* showWindow();
    // The question after a crash, once per lost run; the lost work is kept as an entry
    // whatever the answer.
    void offerRestore();
    // Exit drops the buffer: kept when it differs from the last file or transfer.
    void keepBufferAtExit();

  private:
    MainWindow& window_;
    QSettings& settings_;
    std::unique_ptr<TuneHistory> store_;
    std::unique_ptr<BufferAutosave> autosave_;  // refers to the store
    QPointer<TuneHistoryWindow> historyWindow_;
};

}  // namespace velo
