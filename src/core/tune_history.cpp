#include "core/tune_history.h"
#include "core/platform.h"
#include "core/run_lock.h"
#include "core/tune_history_rows.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>
#include <QVariant>
#include <cstdio>
#include <limits>

namespace velo {

using namespace history_rows;

namespace {

enum Trouble { kRenamed = 1, kUnusable = 2, kWriteFailed = 4, kNewer = 8, kNoWal = 16 };

constexpr const char* kBusy = "Tune History is busy (another Velo IGX is writing); try again";
constexpr const char* kNewerText =
    "Tune History was written by a newer version of Velo IGX; it is read only here.";

int codeOf(const QSqlError& e) {
    return e.nativeErrorCode().toInt() & 0xff;  // the primary code of an extended one
}

// SQLite's own codes for a file that is not, or no longer, a database it can read. A
// busy, locked or unopenable file is none of these: it is left alone.
bool isDamaged(const QSqlError& e) {
    const int code = codeOf(e);
    return code == 11 /* CORRUPT */ || code == 26 /* NOTADB */;
}

bool isBusy(const QSqlError& e) {
    const int code = codeOf(e);
    return code == 5 /* BUSY */ || code == 6 /* LOCKED */;
}

QString why(const QSqlError& e) {
    return isBusy(e) ? QString(kBusy) : e.text();
}

// Each step takes the schema from one version to the next.
const QStringList kMigrations[] = {
    {"CREATE TABLE IF NOT EXISTS entries(id INTEGER PRIMARY KEY, time TEXT NOT NULL, "
     "event TEXT NOT NULL, source TEXT NOT NULL DEFAULT '', firmware TEXT NOT NULL DEFAULT '', "
     "bytes BLOB NOT NULL, hash TEXT NOT NULL, note TEXT NOT NULL DEFAULT '')"},
    {"CREATE TABLE IF NOT EXISTS runs(id INTEGER PRIMARY KEY, pid INTEGER NOT NULL, "
     "started TEXT NOT NULL, clean INTEGER NOT NULL DEFAULT 0, saved TEXT, kind INTEGER, "
     "base BLOB, edited BLOB, cells BLOB)"},
    // Rows with the same bytes share one image; a run keeps its parameters and the entry
    // its work went to.
    {"CREATE TABLE images(hash TEXT PRIMARY KEY, bytes BLOB NOT NULL) WITHOUT ROWID",
     "INSERT OR IGNORE INTO images(hash, bytes) SELECT hash, bytes FROM entries ORDER BY id",
     "CREATE TABLE events(id INTEGER PRIMARY KEY, time TEXT NOT NULL, event TEXT NOT NULL, "
     "source TEXT NOT NULL DEFAULT '', firmware TEXT NOT NULL DEFAULT '', hash TEXT NOT NULL, "
     "note TEXT NOT NULL DEFAULT '')",
     "INSERT INTO events SELECT id, time, event, source, firmware, hash, note FROM entries",
     "DROP TABLE entries", "ALTER TABLE events RENAME TO entries",
     "ALTER TABLE runs ADD COLUMN params BLOB", "ALTER TABLE runs ADD COLUMN entry INTEGER"},
};
static_assert(std::size(kMigrations) == TuneHistory::kSchemaVersion);

}  // namespace

QString TuneHistory::nowText() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QString TuneHistory::defaultPath() {
    return userDataFolder() + "/history.sqlite";
}

TuneHistory::TuneHistory(const QString& path, std::function<void(const QString&)> problem,
                         int busyMs)
    : path_(path),
      connection_("velo-history-" + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      problem_(std::move(problem)),
      busyMs_(busyMs) {
    if (!problem_)
        problem_ = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    QSqlError error;
    if (open(error)) return;
    QSqlDatabase::removeDatabase(connection_);
    // A file SQLite cannot read is put aside, never overwritten, and what can still be
    // read of it copied into a new one; a busy or unopenable one is left alone.
    if (!QFileInfo::exists(path_) || !isDamaged(error)) {
        tell(kUnusable, isBusy(error) ? QString(kBusy)
                                      : QString("Tune History is off for this run: %1: %2")
                                            .arg(QDir::toNativeSeparators(path_), error.text()));
        return;
    }
    const QString aside =
        path_ + ".corrupt-" + QDateTime::currentDateTimeUtc().toString("yyyyMMdd-HHmmss");
    if (!QFile::rename(path_, aside)) {
        tell(kUnusable, QString("Tune History is off for this run: %1 cannot be read.")
                            .arg(QDir::toNativeSeparators(path_)));
        return;
    }
    for (const char* side : {"-wal", "-shm"}) QFile::rename(path_ + side, aside + side);
    if (!open(error)) {
        QSqlDatabase::removeDatabase(connection_);
        tell(kUnusable, "Tune History is off for this run: " + why(error));
        return;
    }
    const int saved = salvage(aside);
    tell(kRenamed, QString("Tune History found its store damaged: %1 entries came across into a "
                           "new one; the damaged file is kept as %2.")
                       .arg(saved)
                       .arg(QDir::toNativeSeparators(aside)));
}

TuneHistory::~TuneHistory() {
    if (usable_) QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

bool TuneHistory::open(QSqlError& error) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", connection_);
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        error = QSqlError("cannot create the folder", {}, QSqlError::ConnectionError);
        return false;
    }
    db.setDatabaseName(path_);
    // Another window or the command-line tool may be writing: wait for it.
    db.setConnectOptions(QString("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMs_));
    if (!db.open()) {
        error = db.lastError();
        return false;
    }
    QSqlQuery q(db);
    auto fail = [&](const QSqlError& e) {
        error = e;
        q = QSqlQuery();
        db.close();
        return false;
    };
    // A file that is not a database fails here, at its first statement.
    if (!q.exec("PRAGMA journal_mode=WAL") || !q.next()) return fail(q.lastError());
    if (q.value(0).toString() != "wal")
        tell(kNoWal, QString("Tune History cannot share %1 with other programs (journal mode "
                             "%2): they wait for each other.")
                         .arg(QDir::toNativeSeparators(path_), q.value(0).toString()));
    if (!q.exec("PRAGMA synchronous=NORMAL")) return fail(q.lastError());
    if (!migrate(error)) return fail(error);
    // A damaged page deep in the file shows only here: reads would stop short without a
    // word and writes go on beside it.
    if (!q.exec("PRAGMA quick_check(1)") || !q.next()) return fail(q.lastError());
    if (q.value(0).toString() != "ok")
        return fail(QSqlError("the store is damaged", q.value(0).toString(),
                              QSqlError::StatementError, "11"));
    usable_ = true;
    if (readOnly_) tell(kNewer, kNewerText);
    return true;
}

bool TuneHistory::migrate(QSqlError& error) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    auto version = [&] {
        return q.exec("PRAGMA user_version") && q.next() ? q.value(0).toInt() : -1;
    };
    // Most opens find the schema up to date and need no lock at all.
    int v = version();
    if (v == kSchemaVersion) return true;
    if (v > kSchemaVersion) return readOnly_ = true;
    // One program at a time brings the schema up to date.
    if (!q.exec("BEGIN IMMEDIATE")) {
        error = q.lastError();
        return false;
    }
    v = version();
    bool ok = v >= 0;
    readOnly_ = v > kSchemaVersion;
    for (int step = std::max(v, 0); ok && step < kSchemaVersion; ++step)
        for (const QString& sql : kMigrations[step]) ok = ok && q.exec(sql);
    if (ok && v < kSchemaVersion)
        ok = q.exec(QString("PRAGMA user_version=%1").arg(kSchemaVersion));
    if (!ok || !q.exec("COMMIT")) {
        error = q.lastError();
        q.exec("ROLLBACK");
        return false;
    }
    return true;
}

void TuneHistory::tell(int kind, const QString& text) {
    if (told_ & kind) return;
    told_ |= kind;
    problem_(text);
}

void TuneHistory::setTroubleHandler(std::function<void(const QString&)> handler) {
    trouble_ = std::move(handler);
}

bool TuneHistory::failed(const QSqlQuery& q, const QString& what) {
    const QString text = QString("Tune History could not %1: %2").arg(what, why(q.lastError()));
    tell(kWriteFailed, text);
    troubled_ = true;
    if (trouble_) trouble_(text);
    return false;
}

void TuneHistory::worked() {
    if (!troubled_) return;
    troubled_ = false;
    if (trouble_) trouble_({});
}

bool TuneHistory::readFailed(const QSqlQuery& q) const {
    error_ = "Tune History could not be read: " + why(q.lastError());
    return false;
}

QString TuneHistory::hashOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// Inside a transaction the caller holds. The new id, or 0; `same` when a safety copy
// matched the newest entry and was left out.
qint64 TuneHistory::insert(QSqlQuery& q, HistoryEvent event, const QByteArray& bytes,
                           const QString& source, const QString& firmware, const QString& note,
                           bool* same) {
    const QString hash = hashOf(bytes);
    *same = false;
    if (isSafetyCopy(event)) {
        if (!q.exec("SELECT hash FROM entries ORDER BY id DESC LIMIT 1")) return 0;
        if (q.next() && q.value(0).toString() == hash) {
            *same = true;
            return 0;
        }
    }
    // Replaced, not ignored: good bytes mend an image stored damaged.
    q.prepare("INSERT OR REPLACE INTO images(hash, bytes) VALUES(?, ?)");
    q.addBindValue(hash);
    q.addBindValue(bytes);
    if (!q.exec()) return 0;
    q.prepare(
        "INSERT INTO entries(time, event, source, firmware, hash, note) VALUES(?, ?, ?, ?, ?, ?)");
    for (const QVariant& v : {QVariant(nowText()), QVariant(eventName(event)), text(source),
                              text(firmware), QVariant(hash), text(note)})
        q.addBindValue(v);
    return q.exec() ? q.lastInsertId().toLongLong() : 0;
}

qint64 TuneHistory::record(HistoryEvent event, const QByteArray& bytes, const QString& source,
                           const QString& firmware, const QString& note) {
    if (!usable_ || readOnly_) return 0;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    // The look at the newest entry and the insert are one step, whoever else writes.
    if (!q.exec("BEGIN IMMEDIATE")) return failed(q, "keep an entry");
    bool same = false;
    const qint64 id = insert(q, event, bytes, source, firmware, note, &same);
    if (!id || !q.exec("COMMIT")) {
        QSqlQuery(QSqlDatabase::database(connection_, false)).exec("ROLLBACK");
        return same ? 0 : failed(q, "keep an entry");
    }
    worked();
    return id;
}

std::optional<HistoryEntry> TuneHistory::readOne(const QString& where, qint64 id) const {
    error_.clear();
    if (!usable_) {
        error_ = "Tune History is off for this run";
        return std::nullopt;
    }
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QString("SELECT %1 FROM %2 WHERE %3 ORDER BY e.id DESC LIMIT 1")
                  .arg(kColumns, kFrom, where));
    if (where.contains('?')) q.addBindValue(id);
    if (!q.exec()) {
        readFailed(q);
        return std::nullopt;
    }
    if (!q.next()) return std::nullopt;
    HistoryEntry e = entryOf(q);
    // Never hand out damaged bytes as a tune.
    if (hashOf(e.bytes) != e.hash) {
        error_ = QString(
                     "Tune History entry %1 is damaged: its bytes do not match their "
                     "SHA-256.")
                     .arg(e.id);
        return std::nullopt;
    }
    return e;
}

std::optional<HistoryEntry> TuneHistory::entry(qint64 id) const {
    return readOne("e.id = ?", id);
}

std::optional<HistoryEntry> TuneHistory::newest() const {
    return readOne("1");
}

std::optional<HistoryEntry> TuneHistory::newestTransfer() const {
    static const QString kTransfers = [] {
        QStringList names;
        for (const HistoryEvent e : historyEvents())
            if (isTransfer(e)) names << "'" + eventName(e) + "'";
        return "e.event IN (" + names.join(", ") + ")";
    }();
    return readOne(kTransfers);
}

QVector<HistoryEntry> TuneHistory::entries(const QString& filter, qint64 beforeId,
                                           int limit) const {
    QVector<HistoryEntry> out;
    error_.clear();
    if (!usable_) {
        error_ = "Tune History is off for this run";
        return out;
    }
    QString sql = "SELECT id, time, event, source, firmware, note, hash FROM entries WHERE id < ?";
    if (!filter.isEmpty())
        sql +=
            // The time as the list shows it, in local time.
            " AND (coalesce(datetime(time, 'localtime'), time) || ' ' || event || ' ' || source "
            "|| ' ' || firmware || ' ' || note) LIKE ? ESCAPE '\\'";
    sql += " ORDER BY id DESC LIMIT ?";
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.setForwardOnly(true);
    q.prepare(sql);
    q.addBindValue(beforeId > 0 ? beforeId : std::numeric_limits<qint64>::max());
    if (!filter.isEmpty()) {
        QString like = filter;
        like.replace("\\", "\\\\").replace("%", "\\%").replace("_", "\\_");
        q.addBindValue("%" + like + "%");
    }
    q.addBindValue(limit);
    if (!q.exec()) {
        readFailed(q);
        return out;
    }
    while (q.next()) out.push_back(entryOf(q, false));
    // A page cut short by an error is no end of the list.
    if (q.lastError().type() != QSqlError::NoError) {
        readFailed(q);
        out.clear();
    }
    return out;
}

bool TuneHistory::setNote(qint64 id, const QString& note) {
    if (!usable_ || readOnly_) return false;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("UPDATE entries SET note = ? WHERE id = ?");
    q.addBindValue(text(note));
    q.addBindValue(id);
    if (!q.exec()) return failed(q, "keep the note");
    worked();
    return q.numRowsAffected() == 1;
}

}  // namespace velo
