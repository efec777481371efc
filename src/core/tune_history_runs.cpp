// Crash recovery: each run's unsaved work, and the runs that ended without saying so.
#include "core/platform.h"
#include "core/run_lock.h"
#include "core/tune_history.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

namespace velo {

namespace {

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

// The runs table keeps the open table as -1 (none), 0 (2D) or 1 (3D).
int storedKind(std::optional<TableKind> kind) {
    return !kind ? -1 : kind == TableKind::Table2D ? 0 : 1;
}

std::optional<TableKind> kindOf(const QVariant& stored) {
    if (stored.isNull() || stored.toInt() < 0) return std::nullopt;
    return stored.toInt() == 0 ? TableKind::Table2D : TableKind::Table3D;
}

}  // namespace

QString TuneHistory::lockPath(qint64 run) const {
    return QString("%1.run-%2.lock").arg(path_).arg(run);
}

bool TuneHistory::ensureRun() {
    if (run_) return true;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare("INSERT INTO runs(pid, started) VALUES(?, ?)");
    q.addBindValue(QCoreApplication::applicationPid());
    q.addBindValue(nowText());
    if (!q.exec()) return failed(q, "keep this run's work");
    run_ = q.lastInsertId().toLongLong();
    // Held as long as this process lives: the next start tells a crash by it.
    lock_ = std::make_unique<RunLock>(lockPath(run_));
    return true;
}

bool TuneHistory::keepUnsavedWork(const UnsavedWork& w) {
    if (!usable_ || readOnly_ || !ensureRun()) return false;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(
        "UPDATE runs SET saved = ?, kind = ?, base = ?, edited = ?, cells = ?, params = ? "
        "WHERE id = ?");
    for (const QVariant& v :
         {QVariant(nowText()), QVariant(storedKind(w.kind)), QVariant(w.base), QVariant(w.edited),
          QVariant(w.cells.isEmpty() ? QByteArray() : packCells(w.cells)), QVariant(w.params),
          QVariant(run_)})
        q.addBindValue(v);
    if (!q.exec()) return failed(q, "keep the unsaved work");
    worked();
    return true;
}

bool TuneHistory::clearUnsavedWork() {
    if (!usable_ || readOnly_ || !run_) return true;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(
        "UPDATE runs SET saved = NULL, base = NULL, edited = NULL, cells = NULL, params = NULL "
        "WHERE id = ?");
    q.addBindValue(run_);
    if (!q.exec()) return failed(q, "clear the unsaved work");
    worked();
    return true;
}

bool TuneHistory::endRun() {
    if (!usable_ || readOnly_ || !run_) return true;
    if (!settleLostRun(run_)) return false;
    run_ = 0;
    return true;
}

bool TuneHistory::settleLostRun(qint64 run) {
    if (!usable_ || readOnly_) return false;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    q.prepare(
        "UPDATE runs SET clean = 1, saved = NULL, base = NULL, edited = NULL, cells = NULL, "
        "params = NULL WHERE id = ?");
    q.addBindValue(run);
    if (!q.exec()) return failed(q, "mark a run as ended");
    worked();
    if (run == run_) lock_.reset();
    QFile::remove(lockPath(run));
    return true;
}

QVector<UnsavedWork> TuneHistory::lostRuns() {
    QVector<UnsavedWork> lost;
    if (!usable_ || readOnly_) return lost;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec("SELECT id, pid, saved, kind, base, edited, cells, params, entry FROM runs "
                "WHERE clean = 0 ORDER BY id DESC")) {
        failed(q, "look for lost work");
        return lost;
    }
    QVector<qint64> empty, unkept;
    while (q.next()) {
        const qint64 id = q.value(0).toLongLong();
        const QString lock = lockPath(id);
        // A run from before the locks is judged by its process id alone.
        const bool runs = QFileInfo::exists(lock) ? RunLock::heldElsewhere(lock)
                                                  : processRuns(q.value(1).toLongLong());
        if (id == run_ || runs) continue;
        if (q.value(2).isNull()) {
            empty << id;
            continue;
        }
        UnsavedWork w;
        w.run = id;
        w.time = QDateTime::fromString(q.value(2).toString(), Qt::ISODateWithMs);
        w.kind = kindOf(q.value(3));
        w.base = q.value(4).toByteArray();
        w.edited = q.value(5).toByteArray();
        w.cells = unpackCells(q.value(6).toByteArray());
        w.params = q.value(7).toByteArray();
        lost << w;
        if (q.value(8).isNull()) unkept << id;
    }
    q.finish();
    for (const qint64 id : empty) settleLostRun(id);
    // Each kept as an entry before it is offered, so that a No, or another crash, loses
    // nothing; a run whose entry cannot be written waits for a later start.
    QVector<UnsavedWork> offered;
    for (const UnsavedWork& w : lost) {
        if (unkept.contains(w.run)) {
            if (!q.exec("BEGIN IMMEDIATE")) {
                failed(q, "keep the lost work");
                continue;
            }
            bool same = false;
            const qint64 entry =
                insert(q, HistoryEvent::CrashRecovery, w.edited, {}, {},
                       w.cells.isEmpty() ? "unsaved buffer" : "unsaved table edits", &same);
            q.prepare("UPDATE runs SET entry = ? WHERE id = ? AND entry IS NULL");
            q.addBindValue(entry);
            q.addBindValue(w.run);
            if ((!entry && !same) || !q.exec() || !q.exec("COMMIT")) {
                failed(q, "keep the lost work");
                QSqlQuery(QSqlDatabase::database(connection_, false)).exec("ROLLBACK");
                continue;
            }
        }
        offered << w;
    }
    return offered;
}

}  // namespace velo
