#include "core/tune_history.h"
#include "support/files.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

namespace {
QByteArray image(char fill) {
    return QByteArray(264, fill);
}

// Runs SQL on the store behind the history's back, as another program would.
QVariant sql(const QString& path, const QString& statement) {
    QVariant out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        if (q.exec(statement) && q.next()) out = q.value(0);
    }
    QSqlDatabase::removeDatabase("raw");
    return out;
}
}  // namespace

class TuneHistoryTest : public QObject {
    Q_OBJECT
  private slots:
    // Each row keeps images in turn ("event:fill") and gives which were stored.
    void keepsAnImageOnceInARow_data() {
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("stored");
        QTest::newRow("same bytes twice") << QStringList{"open:a", "save:a"} << "10";
        QTest::newRow("back to earlier bytes")
            << QStringList{"open:a", "open:b", "open:a"} << "111";
        QTest::newRow("a failed upload always")
            << QStringList{"upload-failed:a", "upload-failed:a", "upload:a"} << "110";
    }
    void keepsAnImageOnceInARow() {
        QFETCH(QStringList, kept);
        QFETCH(QString, stored);
        QTemporaryDir dir;
        TuneHistory h(dir.filePath("h.sqlite"));
        QString got;
        for (const QString& k : kept)
            got += h.record(k.section(':', 0, 0), image(k.back().toLatin1())) ? '1' : '0';
        QCOMPARE(got, stored);
    }

    void twoProgramsShareOneStore() {
        QTemporaryDir dir;
        TuneHistory a(dir.filePath("h.sqlite")), b(dir.filePath("h.sqlite"));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(a.record("open", image(char(2 * i)), "a"));
            QVERIFY(b.record("save", image(char(2 * i + 1)), "b"));
        }
        QCOMPARE(a.entries().size(), 40);
        QCOMPARE(sql(a.path(), "PRAGMA journal_mode").toString(), "wal");
        QVERIFY(b.setNote(a.entries().first().id, "50% timing_x"));
        QCOMPARE(a.entries("50% timing_").size(), 1);
        QCOMPARE(a.entries("%").size(), 1);  // a filter's % is a character, not a wildcard
        QCOMPARE(a.entries({}, a.entries()[10].id, 5).first().id, a.entries()[11].id);
    }

    void oldStoreIsBroughtUpToDate() {
        QTemporaryDir dir;
        const QString path = dir.filePath("h.sqlite");
        sql(path,
            "CREATE TABLE entries(id INTEGER PRIMARY KEY, time TEXT NOT NULL, event TEXT NOT "
            "NULL, source TEXT NOT NULL DEFAULT '', firmware TEXT NOT NULL DEFAULT '', bytes BLOB "
            "NOT NULL, hash TEXT NOT NULL, note TEXT NOT NULL DEFAULT '')");
        sql(path, "INSERT INTO entries(time, event, bytes, hash) VALUES('t', 'open', x'01', 'h')");
        sql(path, "PRAGMA user_version=1");
        TuneHistory h(path);
        QCOMPARE(sql(path, "PRAGMA user_version").toInt(), TuneHistory::kSchemaVersion);
        QCOMPARE(h.entries().size(), 1);
        h.keepUnsavedTable({});
    }

    void unreadableStoreIsPutAsideOnce_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a database") << QByteArray(4096, 'x');
        QTemporaryDir dir;
        {
            TuneHistory h(dir.filePath("h.sqlite"));
            for (int i = 0; i < 200; ++i) h.record("open", image(char(i)));
        }
        QByteArray damaged = test::readFile(dir.filePath("h.sqlite"));
        damaged.replace(damaged.size() / 2, 8192, QByteArray(8192, '\x5a'));
        QTest::newRow("a damaged page inside") << damaged;
        QTest::newRow("cut after its header")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(90, 1);
    }
    void unreadableStoreIsPutAsideOnce() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        test::writeFile(dir.filePath("h.sqlite"), content);
        QStringList told;
        TuneHistory h(dir.filePath("h.sqlite"), [&](const QString& t) { told << t; });
        QVERIFY(h.usable());
        QVERIFY(h.record("open", image('a')));
        const QStringList aside = QDir(dir.path()).entryList({"h.sqlite.corrupt-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(test::readFile(dir.filePath(aside.first())), content);
        QCOMPARE(told.size(), 1);
    }

    void storeThatCannotBeMadeCostsOnlyTheEntry() {
        QTemporaryDir dir;
        test::writeFile(dir.filePath("file"), "x");
        QStringList told;
        TuneHistory h(dir.filePath("file/h.sqlite"), [&](const QString& t) { told << t; });
        QVERIFY(!h.usable());
        QCOMPARE(h.record("open", image('a')), 0);
        QVERIFY(!h.takeLostTable());
        QCOMPARE(told.size(), 1);
    }

    // Edits written by a run that is gone come back once; those of a live run never.
    void lostTableComesBackOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath("h.sqlite");
        {
            TuneHistory crashed(path);
            crashed.keepUnsavedTable({{}, 1, image('b'), image('e'), {1.5, 2.5}});
            TuneHistory live(path);
            QVERIFY(!live.takeLostTable());
        }
        sql(path, "UPDATE runs SET pid = 2147483000");
        TuneHistory next(path);
        const auto lost = next.takeLostTable();
        QVERIFY(lost);
        QCOMPARE(lost->kind, 1);
        QCOMPARE(lost->cells, (QVector<double>{1.5, 2.5}));
        QCOMPARE(next.newest()->event, "crash-recovery");
        QVERIFY(!next.takeLostTable());
    }
};

QTEST_GUILESS_MAIN(TuneHistoryTest)
#include "tune_history_test.moc"
