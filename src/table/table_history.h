#pragma once

#include "core/tune_history.h"
#include "table/table_commands.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace velo {

// The buffer with the open table's working values in it, as Save would write them.
QByteArray tableEditsBytes(const ConfigImage& image, const TableSession& table);

// Writes the open table's unsaved edits to the store at most every `interval` ms, one row
// per run replaced each time, so that a crash loses at most that much.
class TableAutosave : public QObject {
    Q_OBJECT
  public:
    TableAutosave(TableEditor& editor, TuneHistory& history, int interval = 2000);

  private:
    void watch(TableSession* session);
    void changed();
    void write();

    TableEditor& editor_;
    TuneHistory& history_;
    int interval_;
    QTimer timer_;
    QElapsedTimer sinceWrite_;
    bool written_ = false;
};

// Puts a lost run's table back: its buffer loaded, the table open with the edits unsaved.
void restoreUnsavedTable(TableEditor& editor, const UnsavedTable& table);

}  // namespace velo
