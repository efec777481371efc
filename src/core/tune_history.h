#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlError>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace velo {

// One image the program has seen.
struct HistoryEntry {
    qint64 id = 0;
    QDateTime time;  // UTC
    QString event, source, firmware, note, hash;
    QByteArray bytes;  // the 264 bytes of a data file
};

// The table edits of a run, written while they are unsaved so that a crash loses none.
struct UnsavedTable {
    QDateTime time;         // UTC, when they were written
    int kind = 0;           // 0: 2D, 1: 3D
    QByteArray base;        // the buffer the table was opened from
    QByteArray edited;      // the buffer as Save would have written it
    QVector<double> cells;  // the working values, row by row
};

// Every tune the program has seen, in one SQLite file shared by every running window and
// command-line tool. Nothing here throws: a store that cannot be used costs the entry, and
// `problem` is told once per kind of trouble.
class TuneHistory {
  public:
    // The user's store: $XDG_DATA_HOME/velo-igx/history.sqlite.
    static QString defaultPath();
    explicit TuneHistory(const QString& path = defaultPath(),
                         std::function<void(const QString&)> problem = {});
    ~TuneHistory();
    TuneHistory(const TuneHistory&) = delete;
    TuneHistory& operator=(const TuneHistory&) = delete;

    bool usable() const { return usable_; }
    QString path() const { return path_; }
    static QString hashOf(const QByteArray& bytes);

    // Keeps an entry unless its bytes are those of the newest one (an `upload-failed`
    // is always kept: it says what the controller may hold). The new id, or 0.
    qint64 record(const QString& event, const QByteArray& bytes, const QString& source = {},
                  const QString& firmware = {}, const QString& note = {});
    std::optional<HistoryEntry> entry(qint64 id) const;
    std::optional<HistoryEntry> newest() const;
    // The newest entry that says what the controller holds (or may hold): a download, an
    // upload, a failed upload or a read before an upload.
    std::optional<HistoryEntry> newestTransfer() const;
    // Newest first, ids below `beforeId` (0: from the newest), matching `filter` in any
    // text; without the bytes.
    QVector<HistoryEntry> entries(const QString& filter = {}, qint64 beforeId = 0,
                                  int limit = 200) const;
    bool setNote(qint64 id, const QString& note);

    // Crash recovery: this run's unsaved table, replaced each time; cleared when saved or
    // dropped, and the run marked clean when it ends.
    void keepUnsavedTable(const UnsavedTable& table);
    void clearUnsavedTable();
    bool holdsUnsavedTable() const;
    void endRun();
    // The newest unsaved table of a run that ended without `endRun` and no longer runs;
    // every such run is then marked as handled.
    std::optional<UnsavedTable> takeLostTable();

    static constexpr int kSchemaVersion = 2;

  private:
    bool open(QSqlError& error);
    bool migrate(QSqlError& error);
    bool exec(const QString& sql);
    void tell(int kind, const QString& text);
    bool ensureRun();

    QString path_;
    QString connection_;
    std::function<void(const QString&)> problem_;
    bool usable_ = false;
    qint64 run_ = 0;
    int told_ = 0;  // bit per kind of trouble already told
};

}  // namespace velo
