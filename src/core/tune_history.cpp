#include "core/tune_history.h"
#include "core/platform.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
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

namespace {

enum Trouble { kRenamed = 1, kUnusable = 2, kWriteFailed = 4 };

// SQLite's own codes for a file that is not, or no longer, a database it can read.
bool isDamaged(const QSqlError& e) {
    const int code = e.nativeErrorCode().toInt();
    return code == 11 /* CORRUPT */ || code == 26 /* NOTADB */ || code == 14 /* CANTOPEN */;
}

QString nowText() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

// A null QString binds as NULL; the text columns hold '' instead.
QVariant text(const QString& s) {
    return QVariant(s.isNull() ? QString("") : s);
}

QByteArray packCells(const QVector<double>& cells) {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << cells;
    return out;
}

QVector<double> unpackCells(const QByteArray& data) {
    QVector<double> cells;
    QDataStream s(data);
    s >> cells;
    return cells;
}

// Each step takes the schema from one version to the next.
const QStringList kMigrations[] = {
    {"CREATE TABLE IF NOT EXISTS entries(id INTEGER PRIMARY KEY, time TEXT NOT NULL, "
     "event TEXT NOT NULL, source TEXT NOT NULL DEFAULT '', firmware TEXT NOT NULL DEFAULT '', "
     "bytes BLOB NOT NULL, hash TEXT NOT NULL, note TEXT NOT NULL DEFAULT '')"},
    {"CREATE TABLE IF NOT EXISTS runs(id INTEGER PRIMARY KEY, pid INTEGER NOT NULL, "
     "started TEXT NOT NULL, clean INTEGER NOT NULL DEFAULT 0, saved TEXT, kind INTEGER, "
     "base BLOB, edited BLOB, cells BLOB)"},
};
static_assert(std::size(kMigrations) == TuneHistory::kSchemaVersion);

}  // namespace

QString TuneHistory::defaultPath() {
    return userDataFolder() + "/history.sqlite";
}

TuneHistory::TuneHistory(const QString& path, std::function<void(const QString&)> problem)
    : path_(path),
      connection_("velo-history-" + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      problem_(std::move(problem)) {
    if (!problem_)
        problem_ = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    QSqlError error;
    if (open(error)) return;
    QSqlDatabase::removeDatabase(connection_);
    // A file SQLite cannot read is put aside, never overwritten, and a new one started; a
    // busy or unwritable one is left alone.
    if (!QFileInfo::exists(path_) || !isDamaged(error)) {
        tell(kUnusable, QString("Tune History is off for this run: %1: %2")
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
    tell(kRenamed, QString("Tune History could not read its store and started a new one; the "
                           "old one is %1.")
                       .arg(QDir::toNativeSeparators(aside)));
    if (!open(error)) {
        QSqlDatabase::removeDatabase(connection_);
        tell(kUnusable, "Tune History is off for this run: " + error.text());
    }
}

TuneHistory::~TuneHistory() {
    if (usable_) {
        QSqlDatabase::database(connection_, false).close();
    }
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
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    if (!db.open()) {
        error = db.lastError();
        return false;
    }
    // A file that is not a database fails here, at its first statement.
    QSqlQuery q(db);
    if (!q.exec("PRAGMA journal_mode=WAL") || !q.exec("PRAGMA synchronous=NORMAL") ||
        !migrate(error)) {
        if (error.type() == QSqlError::NoError) error = q.lastError();
        q = QSqlQuery();
        db.close();
        return false;
    }
    // A damaged page deep in the file shows only here: reads would stop short without a
    // word and writes go on beside it.
    if (!q.exec("PRAGMA quick_check(1)") || !q.next() || q.value(0).toString() != "ok") {
        error = QSqlError("the store is damaged", q.value(0).toString(), QSqlError::StatementError,
                          "11");
        q = QSqlQuery();
        db.close();
        return false;
    }
    usable_ = true;
    return true;
}

bool TuneHistory::exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    return q.exec(sql);
}

bool TuneHistory::migrate(QSqlError& error) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery q(db);
    // One program at a time brings the schema up to date.
    if (!q.exec("BEGIN IMMEDIATE")) {
        error = q.lastError();
        return false;
    }
    int version = -1;
    if (q.exec("PRAGMA user_version") && q.next()) version = q.value(0).toInt();
    bool ok = version >= 0;
    for (int v = std::max(version, 0); ok && v < kSchemaVersion; ++v)
        for (const QString& sql : kMigrations[v]) ok = ok && q.exec(sql);
    if (ok && version < kSchemaVersion)
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

QString TuneHistory::hashOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

qint64 TuneHistory::record(const QString& event, const QByteArray& bytes, const QString& source,
                           const QString& firmware, const QString& note) {
    if (!usable_) return 0;
    const QString hash = hashOf(bytes);
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    // The look at the newest entry and the insert are one step, whoever else writes.
    if (!q.exec("BEGIN IMMEDIATE")) {
        tell(kWriteFailed, "Tune History could not keep an entry: " + q.lastError().text());
        return 0;
    }
    if (event != "upload-failed" && q.exec("SELECT hash FROM entries ORDER BY id DESC LIMIT 1") &&
        q.next() && q.value(0).toString() == hash) {
        q.exec("ROLLBACK");
        return 0;
    }
    q.prepare(
        "INSERT INTO entries(time, event, source, firmware, bytes, hash, note) "
        "VALUES(?, ?, ?, ?, ?, ?, ?)");
    for (const QVariant& v : {QVariant(nowText()), text(event), text(source), text(firmware),
                              QVariant(bytes), QVariant(hash), text(note)})
        q.addBindValue(v);
    const bool ok = q.exec();
    const qint64 id = ok ? q.lastInsertId().toLongLong() : 0;
    if (!ok || !q.exec("COMMIT")) {
        tell(kWriteFailed, "Tune History could not keep an entry: " + q.lastError().text());
        q.exec("ROLLBACK");
        return 0;
    }
    return id;
}

namespace {

HistoryEntry entryOf(const QSqlQuery& q, bool withBytes) {
    HistoryEntry e;
    e.id = q.value(0).toLongLong();
    e.time = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
    e.event = q.value(2).toString();
    e.source = q.value(3).toString();
    e.firmware = q.value(4).toString();
    e.note = q.value(5).toString();
    e.hash = q.value(6).toString();
    if (withBytes) e.bytes = q.value(7).toByteArray();
    return e;
}

constexpr const char* kColumns = "id, time, event, source, firmware, note, hash";

}  // namespace

std::optional<HistoryEntry> TuneHistory::entry(qint64 id) const {
    if (!usable_) return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(QString("SELECT %1, bytes FROM entries WHERE id = ?").arg(kColumns));
    q.addBindValue(id);
    if (!q.exec() || !q.next()) return std::nullopt;
    return entryOf(q, true);
}

std::optional<HistoryEntry> TuneHistory::newest() const {
    if (!usable_) return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(QString("SELECT %1, bytes FROM entries ORDER BY id DESC LIMIT 1").arg(kColumns)) ||
        !q.next())
        return std::nullopt;
    return entryOf(q, true);
}

QVector<HistoryEntry> TuneHistory::entries(const QString& filter, qint64 beforeId,
                                           int limit) const {
    QVector<HistoryEntry> out;
    if (!usable_) return out;
    QString sql = QString("SELECT %1 FROM entries WHERE id < ?").arg(kColumns);
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
    if (!q.exec()) return out;
    while (q.next()) out.push_back(entryOf(q, false));
    return out;
}

bool TuneHistory::setNote(qint64 id, const QString& note) {
    if (!usable_) return false;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("UPDATE entries SET note = ? WHERE id = ?");
    q.addBindValue(text(note));
    q.addBindValue(id);
    return q.exec() && q.numRowsAffected() == 1;
}

bool TuneHistory::ensureRun() {
    if (run_) return true;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("INSERT INTO runs(pid, started) VALUES(?, ?)");
    q.addBindValue(QCoreApplication::applicationPid());
    q.addBindValue(nowText());
    if (!q.exec()) return false;
    run_ = q.lastInsertId().toLongLong();
    return true;
}

void TuneHistory::keepUnsavedTable(const UnsavedTable& t) {
    if (!usable_ || !ensureRun()) return;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("UPDATE runs SET saved = ?, kind = ?, base = ?, edited = ?, cells = ? WHERE id = ?");
    for (const QVariant& v : {QVariant(nowText()), QVariant(t.kind), QVariant(t.base),
                              QVariant(t.edited), QVariant(packCells(t.cells)), QVariant(run_)})
        q.addBindValue(v);
    if (!q.exec())
        tell(kWriteFailed, "Tune History could not keep an entry: " + q.lastError().text());
}

void TuneHistory::clearUnsavedTable() {
    if (!usable_ || !run_) return;
    exec(QString("UPDATE runs SET saved = NULL, base = NULL, edited = NULL, cells = NULL "
                 "WHERE id = %1")
             .arg(run_));
}

bool TuneHistory::holdsUnsavedTable() const {
    if (!usable_ || !run_) return false;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("SELECT cells IS NOT NULL FROM runs WHERE id = ?");
    q.addBindValue(run_);
    return q.exec() && q.next() && q.value(0).toBool();
}

void TuneHistory::endRun() {
    if (!usable_ || !run_) return;
    exec(QString("UPDATE runs SET clean = 1, saved = NULL, base = NULL, edited = NULL, "
                 "cells = NULL WHERE id = %1")
             .arg(run_));
    run_ = 0;
}

std::optional<UnsavedTable> TuneHistory::takeLostTable() {
    if (!usable_) return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec("SELECT id, pid, saved, kind, base, edited, cells FROM runs WHERE clean = 0 "
                "ORDER BY id DESC"))
        return std::nullopt;
    std::optional<UnsavedTable> found;
    QVector<qint64> lost;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        if (id == run_ || processRuns(q.value(1).toLongLong())) continue;
        lost << id;
        if (found || q.value(2).isNull()) continue;
        UnsavedTable t;
        t.time = QDateTime::fromString(q.value(2).toString(), Qt::ISODateWithMs);
        t.kind = q.value(3).toInt();
        t.base = q.value(4).toByteArray();
        t.edited = q.value(5).toByteArray();
        t.cells = unpackCells(q.value(6).toByteArray());
        found = t;
    }
    q.finish();
    // Kept as an entry too, so that a No to the question loses nothing.
    if (found) record("crash-recovery", found->edited, {}, {}, "unsaved table edits");
    for (const qint64 id : lost)
        exec(QString("UPDATE runs SET clean = 1, base = NULL, edited = NULL, cells = NULL "
                     "WHERE id = %1")
                 .arg(id));
    return found;
}

}  // namespace velo
