#include "support/cli_run.h"
#include "support/files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using velo::test::runCli;

// The command-line tool keeps what it reads and writes, and gives it back by id.
class CliHistoryTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    QString demo_ = VELO_BIN_DIR "/demo_2d.dat";

    QJsonArray list() { return QJsonDocument::fromJson(runCli({"history", "--json"}).out).array(); }

  private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", home_.path().toUtf8()); }

    void modifyKeepsWhatItReadAndWrote() {
        const QString out = home_.filePath("out.dat");
        QCOMPARE(runCli({"modify", demo_, out, "+1"}).exitCode, 0);
        // Read back by id: the same bytes are not kept twice.
        QCOMPARE(runCli({"modify", "@2", home_.filePath("again.dat"), "+0"}).exitCode, 0);
        const QJsonArray a = list();
        QCOMPARE(a.size(), 2);
        QCOMPARE(a[0]["event"].toString(), "save");
        QCOMPARE(a[1]["source"].toString(), QFileInfo(demo_).absoluteFilePath());
        QCOMPARE(QJsonObject(a[0].toObject()).keys(),
                 (QStringList{"event", "firmware", "hash", "id", "note", "source", "time"}));
        QCOMPARE(runCli({"history", "note", "1", "as it came"}).exitCode, 0);
        QCOMPARE(list().at(1)["note"].toString(), "as it came");
        QCOMPARE(runCli({"history", "export", "2", home_.filePath("e.dat")}).exitCode, 0);
        QCOMPARE(velo::test::readFile(home_.filePath("e.dat")), velo::test::readFile(out));
        QCOMPARE(runCli({"diff", "@2", out}).exitCode, 0);
    }

    void badRequestsChangeNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no such entry") << QStringList{"history", "export", "99", "x.dat"} << 1;
        QTest::newRow("unknown word") << QStringList{"history", "drop", "1", "x"} << 2;
        QTest::newRow("@ of no entry") << QStringList{"show", "@99"} << 2;
        QTest::newRow("export into no folder")
            << QStringList{"history", "export", "1", "/nonexistent/x.dat"} << 2;
    }
    void badRequestsChangeNothing() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        const QJsonArray before = list();
        QCOMPARE(runCli(args).exitCode, exitCode);
        QCOMPARE(list(), before);
    }
};

QTEST_GUILESS_MAIN(CliHistoryTest)
#include "cli_history_test.moc"
