// The shared services without widgets: the program's own files (where they are found, the
// configuration file, recent files), the error trap, the port settings, the numeric helpers
// and Tune History.
#include "core/config_file.h"
#include "core/error_report.h"
#include "core/numeric.h"
#include "core/port_settings.h"
#include "core/recent_files.h"
#include "core/scripted_interaction.h"
#include "core/tune_history.h"
#include "support/files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <ctime>

using namespace velo;

namespace {
void writeConfig(const QTemporaryDir& dir, const QString& text) {
    test::writeFile(dir.filePath(kConfigFileName), text.toLatin1());
}

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

class ServicesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;  // a fresh one for each test and row

  private slots:
    void init() { dir = std::make_unique<QTemporaryDir>(); }

    void ownFolderFirstThenDataFolder_data() {
        QTest::addColumn<QStringList>("holders");  // the folders that have the file
        QTest::addColumn<QString>("found");
        QTest::newRow("own folder wins") << QStringList{"own", "data"} << "own";
        QTest::newRow("data folder second") << QStringList{"data"} << "data";
        // The missing-file messages name the program's own folder.
        QTest::newRow("neither") << QStringList{} << "own";
    }
    void ownFolderFirstThenDataFolder() {
        QFETCH(QStringList, holders);
        QFETCH(QString, found);
        QDir root(dir->path());
        QVERIFY(root.mkdir("own") && root.mkdir("data"));
        for (const QString& sub : holders)
            QVERIFY(QFile(root.filePath(sub + "/Velo_IGX.cfg")).open(QIODevice::WriteOnly));
        const AppFiles files(root.filePath("own"), root.filePath("data"));
        QCOMPARE(files.path("Velo_IGX.cfg"), root.filePath(found + "/Velo_IGX.cfg"));
    }

    void missingFileGivesDefaults() {
        const BrandInfo b = readConfigFile(dir->path());
        QCOMPARE(b.SplashInfo,
                 (QStringList{"Orvane", "Arial", "28", "bold italic", "Orvane_Logo.gif"}));
        QCOMPARE(b.MakerInfo.size(), 6);
        QVERIFY(velo::aboutText(b).startsWith("Orvane Velo IGX Version 1.00\n"));
    }

    void markerLinesSeparateTheLists_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("splash");
        QTest::addColumn<QStringList>("maker");
        QTest::newRow("several comments, empty data line kept")
            << "!a\n!b\nBeta\n\n12\nbold\nx.gif\n!\nBeta Ltd\n\nTel 1\n"
            << QStringList{"Beta", "", "12", "bold", "x.gif"}
            << QStringList{"Beta Ltd", "", "Tel 1"};
        QTest::newRow("text after the closing marker is ignored")
            << "G\nArial\n9\n\nNULL\n!\nGamma\n!\nignored\n"
            << QStringList{"G", "Arial", "9", "", "NULL"} << QStringList{"Gamma"};
        QTest::newRow("no maker lines") << "D\n!\n" << QStringList{"D"} << QStringList{};
        QTest::newRow("windows line ends")
            << "!c\r\nE\r\nArial\r\n8\r\nbold\r\nNULL\r\n!\r\nEps\r\n"
            << QStringList{"E", "Arial", "8", "bold", "NULL"} << QStringList{"Eps"};
    }
    void markerLinesSeparateTheLists() {
        QFETCH(QString, text);
        QFETCH(QStringList, splash);
        QFETCH(QStringList, maker);
        writeConfig(*dir, text);
        const BrandInfo b = readConfigFile(dir->path());
        QCOMPARE(b.SplashInfo, splash);
        QCOMPARE(b.MakerInfo, maker);
    }

    // A file that ends before its closing marker is reported, and Ignore goes on with what
    // was read; a read of a line it lacks fails, never gives a blank.
    void shortConfigFile() {
        writeConfig(*dir, "!c\nAlpha\nArial\n20\n");
        ScriptedInteraction ui;
        ui.answer(Answer::Ignore);
        const BrandInfo b = loadBrandInfo(ui, dir->path());
        QCOMPARE(ui.shown().size(), 1);
        QVERIFY(ui.shown()[0].title == "Error" && ui.shown()[0].text.contains("Velo_IGX.cfg"));
        QCOMPARE(b.SplashInfo, (QStringList{"Alpha", "Arial", "20"}));
        QCOMPARE(b.fontSize(), 20);
        QVERIFY_THROWS_EXCEPTION(RunError, b.bold());
        QVERIFY_THROWS_EXCEPTION(RunError, b.hasLogo());
    }

    // Newest first, each file once however it was named, never more than eight.
    void recentFilesNewestFirstOnceEach() {
        QSettings settings(dir->filePath("s.ini"), QSettings::IniFormat);
        RecentFiles recent(settings);
        for (int i = 1; i <= 9; ++i) recent.add(dir->filePath(QString("t%1.dat").arg(i)));
        recent.add(dir->filePath("sub/../t5.dat"));
        QStringList names;
        for (const QString& p : RecentFiles(settings).paths()) names << QFileInfo(p).fileName();
        QCOMPARE(names.join(' '),
                 QString("t5.dat t9.dat t8.dat t7.dat t6.dat t4.dat t3.dat t2.dat"));
    }

    void answersDecideWhatRunsNext_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QString>("trace");
        // The second statement fails twice, then succeeds.
        QTest::newRow("abort: closing steps once, nothing after")
            << QList<int>{int(Answer::Abort)} << "1 2! close";
        QTest::newRow("ignore: the next statement runs")
            << QList<int>{int(Answer::Ignore)} << "1 2! 3";
        QTest::newRow("retry: the failing statement again")
            << QList<int>{int(Answer::Retry), int(Answer::Retry)} << "1 2! 2! 2 3";
        QTest::newRow("retry then abort")
            << QList<int>{int(Answer::Retry), int(Answer::Abort)} << "1 2! 2! close";
    }
    void answersDecideWhatRunsNext() {
        QFETCH(QList<int>, answers);
        QFETCH(QString, trace);
        ScriptedInteraction ui;
        for (int a : answers) ui.answer(Answer(a));
        QStringList done;
        int failures = 0;
        Trap trap(ui, [&] { done << "close"; });
        trap.step([&] { done << "1"; });
        trap.step([&] {
            if (failures++ < 2) {
                done << "2!";
                raise(kCommError, "Comm Error", "RS-232 timeout. Check cable and click Abort.");
            }
            done << "2";
        });
        trap.step([&] { done << "3"; });
        QCOMPARE(done.join(' '), trace);
        QCOMPARE(trap.aborted(), trace.endsWith("close"));
    }

    // The window's start-up reads these; its own test follows the reports through.
    void storedPortSetting_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");  // -1: not a number
        QTest::addColumn<bool>("inList");
        QTest::newRow("blanks around") << " 3 " << 3 << true;
        QTest::newRow("255") << "255" << 255 << true;
        QTest::newRow("256 outside the list") << "256" << 256 << false;
        QTest::newRow("negative outside the list") << "-4" << -4 << false;
        QTest::newRow("half to even") << "2.5" << 2 << true;
        QTest::newRow("empty") << "" << -1 << false;
        QTest::newRow("beyond 16 bits") << "99999" << -1 << false;
    }
    void storedPortSetting() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QFETCH(bool, inList);
        if (port == -1) {
            QVERIFY_THROWS_EXCEPTION(RunError, PortSettings::parseCommPort(text));
            return;
        }
        QCOMPARE(PortSettings::parseCommPort(text), port);
        if (!inList) QVERIFY_THROWS_EXCEPTION(RunError, PortSettings::checkListPosition(port));
        if (inList) PortSettings::checkListPosition(port);
    }

    void portDevices() {
        QSettings s(dir->filePath("s.ini"), QSettings::IniFormat);
        PortSettings ps(s);
        QCOMPARE(ps.deviceFor(12), QString("/dev/ttyS11"));
        ps.storeDevice(12, "/dev/ttyUSB0");
        QCOMPARE(s.value("Ports/Com12").toString(), QString("/dev/ttyUSB0"));
        ps.storeDevice(12, "");
        QCOMPARE(ps.deviceFor(12), QString("/dev/ttyS11"));
    }

    // Each helper on text in, text out: "round" to even, "fixed" with the decimals after a
    // space, "leading" the number a text starts with.
    void numericHelpers_data() {
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        auto row = [](const char* tag, const char* helper, const QString& in, const char* out) {
            QTest::newRow(tag) << helper << in << out;
        };
        row("0.5 to even 0", "round", "0.5", "0");
        row("1.5 to even 2", "round", "1.5", "2");
        row("-2.5 to even -2", "round", "-2.5", "-2");
        row("just above half", "round", "2.5000001", "3");
        row("beyond the range saturates", "round", "8e300", "9223372036854775807");
        row("half away from zero, whole", "fixed", "2.5 0", "3");
        row("negative half away from zero", "fixed", "-2.5 0", "-3");
        // 0.15 is below a half in binary; as text it is a half and goes up.
        row("0.15 decided on its text", "fixed", "0.15 1", "0.2");
        row("carry into whole", "fixed", "9.96 1", "10.0");
        row("carry adds digit", "fixed", "99.5 0", "100");
        row("small negative is zero", "fixed", "-0.04 1", "0.0");
        row("seventy places", "fixed", "1e-70 1", "0.0");
        row("prefix then letters", "leading", "2.9abc", "2.9");
        row("letters only", "leading", "abc", "0");
        row("empty", "leading", "", "0");
        row("leading blanks", "leading", "   7", "7");
        row("leading point", "leading", ".5", "0.5");
        row("trailing point", "leading", "5.", "5");
        row("exponent", "leading", "1e3", "1000");
        row("dangling exponent", "leading", "3e", "3");
        row("blanks inside digits", "leading", "1 2", "12");
        row("beyond the range", "leading", "-1e400", "-1.7976931348623157e+308");
    }
    void numericHelpers() {
        QFETCH(QString, helper);
        QFETCH(QString, in);
        QFETCH(QString, out);
        const QStringList args = in.split(' ');
        if (helper == "round")
            QCOMPARE(QString::number(roundHalfEven(in.toDouble())), out);
        else if (helper == "fixed")
            QCOMPARE(formatFixed(args[0].toDouble(), args[1].toInt()), out);
        else
            QCOMPARE(leadingNumber(in), out.toDouble());
    }

    // Each row keeps images in turn ("event:fill") and gives which were stored.
    void keepsAnImageOnceInARow_data() {
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("stored");
        QTest::newRow("back to earlier bytes")
            << QStringList{"open:a", "open:b", "open:a"} << "111";
        QTest::newRow("a failed upload always")
            << QStringList{"upload-failed:a", "upload-failed:a", "upload:a"} << "110";
    }
    void keepsAnImageOnceInARow() {
        QFETCH(QStringList, kept);
        QFETCH(QString, stored);
        TuneHistory h(dir->filePath("h.sqlite"));
        QString got;
        for (const QString& k : kept)
            got += h.record(k.section(':', 0, 0), image(k.back().toLatin1())) ? '1' : '0';
        QCOMPARE(got, stored);
    }

    void twoProgramsShareOneStore() {
        static constexpr const char* kShown = "yyyy-MM-dd HH:mm:ss";
        TuneHistory a(dir->filePath("h.sqlite")), b(dir->filePath("h.sqlite"));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(a.record("open", image(char(2 * i)), "a"));
            QVERIFY(b.record("save", image(char(2 * i + 1)), "b"));
        }
        QCOMPARE(a.entries().size(), 40);
        QCOMPARE(sql(a.path(), "PRAGMA journal_mode").toString(), "wal");
        QVERIFY(b.setNote(a.entries().first().id, "50% timing_x"));
        QCOMPARE(a.entries("50% timing_").size(), 1);
        QCOMPARE(a.entries("%").size(), 1);  // a filter's % is a character, not a wildcard
        qputenv("TZ", "IST-5:30");
        tzset();
        auto shown = [](const HistoryEntry& e) { return e.time.toLocalTime().toString(kShown); };
        const QString first = shown(a.entries().first());
        QCOMPARE(a.entries(first).size(), int(std::ranges::count(a.entries(), first, shown)));
        QCOMPARE(a.entries(a.entries().first().time.toUTC().toString(kShown)).size(), 0);
        qunsetenv("TZ");
        tzset();
        QCOMPARE(a.entries({}, a.entries()[10].id, 5).first().id, a.entries()[11].id);
    }

    void oldStoreIsBroughtUpToDate() {
        const QString path = dir->filePath("h.sqlite");
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
        QTemporaryDir seed;
        {
            TuneHistory h(seed.filePath("h.sqlite"));
            for (int i = 0; i < 200; ++i) h.record("open", image(char(i)));
        }
        QByteArray damaged = test::readFile(seed.filePath("h.sqlite"));
        damaged.replace(damaged.size() / 2, 8192, QByteArray(8192, '\x5a'));
        QTest::newRow("a damaged page inside") << damaged;
        QTest::newRow("cut after its header")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(90, 1);
    }
    void unreadableStoreIsPutAsideOnce() {
        QFETCH(QByteArray, content);
        test::writeFile(dir->filePath("h.sqlite"), content);
        QStringList told;
        TuneHistory h(dir->filePath("h.sqlite"), [&](const QString& t) { told << t; });
        QVERIFY(h.usable());
        QVERIFY(h.record("open", image('a')));
        const QStringList aside = QDir(dir->path()).entryList({"h.sqlite.corrupt-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(test::readFile(dir->filePath(aside.first())), content);
        QCOMPARE(told.size(), 1);
    }

    void storeThatCannotBeMadeCostsOnlyTheEntry() {
        test::writeFile(dir->filePath("file"), "x");
        QStringList told;
        TuneHistory h(dir->filePath("file/h.sqlite"), [&](const QString& t) { told << t; });
        QVERIFY(!h.usable());
        QCOMPARE(h.record("open", image('a')), 0);
        QVERIFY(!h.takeLostTable());
        QCOMPARE(told.size(), 1);
    }

    // Edits written by a run that is gone come back once; those of a live run never.
    void lostTableComesBackOnce() {
        const QString path = dir->filePath("h.sqlite");
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

QTEST_GUILESS_MAIN(ServicesTest)
#include "services_test.moc"
