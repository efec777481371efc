// Salvage: what still reads of a damaged store, copied into a fresh one.
#include "core/tune_history.h"
#include "core/tune_history_rows.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace velo {

using namespace history_rows;

// Copies every entry of the damaged file that still reads whole, one at a time so that
// a bad page costs only the rows on it. How many came across.
int TuneHistory::salvage(const QString& damaged) {
    const QString name = connection_ + "-salvage";
    // Read from a copy: even a reader may write beside a file, and the damaged one is
    // kept as it was found.
    const QString copy = damaged + ".reading";
    QFile::copy(damaged, copy);
    QFile::copy(damaged + "-wal", copy + "-wal");
    int saved = 0;
    {
        QSqlDatabase from = QSqlDatabase::addDatabase("QSQLITE", name);
        from.setDatabaseName(copy);
        if (from.open()) {
            QSqlQuery q(from);
            const bool shared = q.exec("SELECT hash FROM images LIMIT 0");
            qint64 last = 0;
            if (q.exec("SELECT max(id) FROM entries") && q.next()) {
                last = q.value(0).toLongLong();
            } else if (q.exec("SELECT id FROM entries ORDER BY id")) {
                while (q.next()) last = q.value(0).toLongLong();
            }
            q.prepare(shared ? QString("SELECT %1 FROM %2 WHERE e.id = ?").arg(kColumns, kFrom)
                             : "SELECT id, time, event, source, firmware, note, hash, bytes "
                               "FROM entries WHERE id = ?");
            QSqlDatabase db = QSqlDatabase::database(connection_, false);
            QSqlQuery to(db), image(db), row(db);
            to.exec("BEGIN");
            image.prepare("INSERT OR REPLACE INTO images(hash, bytes) VALUES(?, ?)");
            row.prepare(
                "INSERT INTO entries(id, time, event, source, firmware, hash, note) "
                "VALUES(?, ?, ?, ?, ?, ?, ?)");
            for (qint64 id = 1; id <= last; ++id) {
                q.bindValue(0, id);
                if (!q.exec() || !q.next()) continue;
                const HistoryEntry e = entryOf(q);
                if (hashOf(e.bytes) != e.hash) continue;
                image.bindValue(0, e.hash);
                image.bindValue(1, e.bytes);
                int i = 0;
                for (const QVariant& v :
                     {QVariant(e.id), QVariant(q.value(1).toString()), text(e.event),
                      text(e.source), text(e.firmware), QVariant(e.hash), text(e.note)})
                    row.bindValue(i++, v);
                if (image.exec() && row.exec()) ++saved;
            }
            if (!to.exec("COMMIT")) saved = 0;
        }
    }
    QSqlDatabase::removeDatabase(name);
    for (const char* side : {"", "-wal", "-shm", "-journal"}) QFile::remove(copy + side);
    return saved;
}

}  // namespace velo
