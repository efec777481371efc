#pragma once

#include "core/history_event.h"
#include "core/table_shape.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlError>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

class QSqlQuery;

namespace velo {

class RunLock;

// One image the program has seen.
struct HistoryEntry {
    qint64 id = 0;
    QDateTime time;  // UTC
    QString event, source, firmware, note, hash;
    QByteArray bytes;  // the 264 bytes of a data file
};

// What a run would lose in a crash, written while it differs from the last file or
// transfer: the buffer, the parameters as they are in memory and any open table's edits.
struct UnsavedWork {
    QDateTime time;                 // UTC, when it was written
    std::optional<TableKind> kind;  // the open table, if any
    QByteArray base;                // the buffer's bytes as they are
    QByteArray edited;              // the buffer as Save File would write it, the open table in it
    QVector<double> cells;          // the open table's working values, row by row
    QByteArray params;              // the parameter variables and table arrays, packed
    qint64 run = 0;                 // the lost run it comes from
};

// Every tune the program has seen, in one SQLite file shared by every running window and
// command-line tool. Nothing here throws: a store that cannot be used costs the entry,
// `problem` is told once per kind of trouble, and a read that fails says why in error().
class TuneHistory {
  public:
    // The user's store: $XDG_DATA_HOME/velo-igx/history.sqlite.
    static QString defaultPath();
    explicit TuneHistory(const QString& path = defaultPath(),
                         std::function<void(const QString&)> problem = {}, int busyMs = 5000);
    ~TuneHistory();
    TuneHistory(const TuneHistory&) = delete;
    TuneHistory& operator=(const TuneHistory&) = delete;

    bool usable() const { return usable_; }
    // A store of a newer schema: read, never written.
    bool readOnly() const { return readOnly_; }
    QString path() const { return path_; }
    static QString hashOf(const QByteArray& bytes);
    // Why the last read gave nothing; empty when it worked or found nothing.
    QString error() const { return error_; }
    // Told the text of each write that fails, and an empty text once writes work again.
    void setTroubleHandler(std::function<void(const QString&)> handler);

    // Keeps an entry: every event always, except the safety copies (buffer-kept,
    // table-edits, before-clip, crash-recovery), which are not kept twice in a row. Rows
    // with the same bytes share them. The new id, or 0.
    qint64 record(HistoryEvent event, const QByteArray& bytes, const QString& source = {},
                  const QString& firmware = {}, const QString& note = {});
    std::optional<HistoryEntry> entry(qint64 id) const;
    std::optional<HistoryEntry> newest() const;
    // The newest download, upload, upload-failed or controller-before-upload: what the
    // controller last held as far as this store knows.
    std::optional<HistoryEntry> newestTransfer() const;
    // Newest first, ids below `beforeId` (0: from the newest), matching `filter` in any
    // text; without the bytes.
    QVector<HistoryEntry> entries(const QString& filter = {}, qint64 beforeId = 0,
                                  int limit = 200) const;
    bool setNote(qint64 id, const QString& note);

    // Crash recovery: this run's unsaved work, replaced each time and cleared when nothing
    // is left to lose; the run marked clean when it ends.
    bool keepUnsavedWork(const UnsavedWork& work);
    bool clearUnsavedWork();
    bool endRun();
    // The work of every run that ended without `endRun` and that no live program holds,
    // newest first, each already kept as a crash-recovery entry.
    QVector<UnsavedWork> lostRuns();
    // A lost run answered for: marked clean.
    bool settleLostRun(qint64 run);

    static constexpr int kSchemaVersion = 3;

  private:
    static QString nowText();
    bool open(QSqlError& error);
    bool migrate(QSqlError& error);
    int salvage(const QString& damaged);
    void tell(int kind, const QString& text);
    bool failed(const QSqlQuery& q, const QString& what);
    void worked();
    bool readFailed(const QSqlQuery& q) const;
    std::optional<HistoryEntry> readOne(const QString& where, qint64 id = 0) const;
    qint64 insert(QSqlQuery& q, HistoryEvent event, const QByteArray& bytes, const QString& source,
                  const QString& firmware, const QString& note, bool* same);
    bool ensureRun();
    QString lockPath(qint64 run) const;

    QString path_;
    QString connection_;
    std::function<void(const QString&)> problem_;
    std::function<void(const QString&)> trouble_;
    int busyMs_;
    bool usable_ = false;
    bool readOnly_ = false;
    bool troubled_ = false;
    mutable QString error_;
    qint64 run_ = 0;
    std::unique_ptr<RunLock> lock_;
    int told_ = 0;  // bit per kind of trouble already told
};

}  // namespace velo
