#pragma once

#include "core/tune_history.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QSettings;

namespace velo {

class MainWindow;
class TuneHistoryWindow;

// Tune History for the main window: the store every workflow keeps its entries in, the
// table's edits written while unsaved, the question after a run that did not end
// cleanly, and the window of File > Tune History.
class HistoryWiring : public QObject {
    Q_OBJECT
  public:
    // Whether the start asks to restore a lost run's table edits (true unless set false).
    static constexpr const char* kAskToRestoreKey = "TuneHistory/AskToRestore";
    // Whether an upload first reads and keeps the controller's own tune (true unless set
    // false).
    static constexpr const char* kReadBeforeUploadKey = "TuneHistory/ReadBeforeUpload";

    HistoryWiring(MainWindow& window, QSettings& settings);
    // A run that gets here ended cleanly.
    ~HistoryWiring() override;

    TuneHistory& store() { return *store_; }
    TuneHistoryWindow* showWindow();
    // The question after a crash; the lost edits are kept as an entry whatever the answer.
    void offerRestore();

  private:
    MainWindow& window_;
    QSettings& settings_;
    std::unique_ptr<TuneHistory> store_;
    QPointer<TuneHistoryWindow> historyWindow_;
};

}  // namespace velo
