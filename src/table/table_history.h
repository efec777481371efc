#pragma once

#include "core/tune_history.h"
#include "table/table_commands.h"

#include <QObject>
#include <QTimer>

namespace velo {

// The buffer with the open table's working values in it, as Save would write them.
QByteArray tableEditsBytes(const ConfigImage& image, const TableSession& table);

// Writes what a crash would lose to the store, at most every `interval` ms: the whole
// buffer as Save File would write it (any open table in it) whenever it differs from the
// last file or transfer, or the open table has edits; cleared when nothing is left to
// lose. One row per run, replaced each time.
class BufferAutosave : public QObject {
    Q_OBJECT
  public:
    BufferAutosave(TableEditor& editor, TuneHistory& history, int interval = 2000);
    // Looks now rather than at the next tick.
    void check();

  private:
    TableEditor& editor_;
    TuneHistory& history_;
    QTimer timer_;
    QByteArray settled_;  // the buffer as last read from or written to a file or controller
    UnsavedWork written_;
    bool holds_ = false;
};

// Puts a lost run's work back: its buffer and parameters loaded, its table open with the
// edits unsaved.
void restoreUnsavedWork(TableEditor& editor, const UnsavedWork& work);

}  // namespace velo
