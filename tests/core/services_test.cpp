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

const QString kBusy = "Tune History is busy (another Velo IGX is writing); try again";

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
#ifdef Q_OS_WIN
        const QString com12 = "COM12";  // ComN is the device COMN
#else
        const QString com12 = "/dev/ttyS11";
#endif
        QCOMPARE(ps.deviceFor(12), com12);
        ps.storeDevice(12, "/dev/ttyUSB0");
        QCOMPARE(s.value("Ports/Com12").toString(), QString("/dev/ttyUSB0"));
        ps.storeDevice(12, "");
        QCOMPARE(ps.deviceFor(12), com12);
        // A typed COM name picks its entry where entries name their ports.
        const int named = PortSettings::entriesNameDevices();
        for (const auto& [typed, entry] : {std::pair{"com12", 12},
                                           {"\\\\.\\COM255", 255},
                                           {"COM256", 0},
                                           {"COM0", 0},
                                           {"COM1x", 0}})
            QCOMPARE(PortSettings::entryNaming(typed), entry * named);
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

    // Each row keeps images in turn ("event:fill"): which were stored, the newest transfer
    // after them and how many images the rows share.
    void keepsEveryEventAndCopiesOnce_data() {
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("transfer");
        QTest::addColumn<int>("images");
        QTest::newRow("back to earlier bytes") << QStringList{"open:a", "open:b", "open:a"} << "111"
                                               << "" << 2;
        QTest::newRow("a verified retry after a failed upload")
            << QStringList{"upload-failed:a", "upload-failed:a", "upload:a", "open:a"} << "1111"
            << "upload:a" << 1;
        QTest::newRow("a download that matches")
            << QStringList{"download:b", "upload:a", "download:a", "save:a"} << "1111"
            << "download:a" << 2;
        QTest::newRow("copies only when they differ") << QStringList{"open:a",
                                                                     "buffer-kept:a",
                                                                     "table-edits:b",
                                                                     "crash-recovery:b",
                                                                     "before-clip:b",
                                                                     "file-replaced:b",
                                                                     "controller-before-upload:b"}
                                                      << "1010011"
                                                      << "controller-before-upload:b" << 2;
    }
    void keepsEveryEventAndCopiesOnce() {
        QFETCH(QStringList, kept);
        QFETCH(QString, stored);
        QFETCH(QString, transfer);
        QFETCH(int, images);
        TuneHistory h(dir->filePath("h.sqlite"));
        QString got;
        for (const QString& k : kept)
            got += h.record(eventNamed(k.section(':', 0, 0)).value(), image(k.back().toLatin1()))
                       ? '1'
                       : '0';
        QCOMPARE(got, stored);
        const auto t = h.newestTransfer();
        QCOMPARE(t ? t->event + ":" + t->bytes.at(0) : QString(), transfer);
        QCOMPARE(sql(h.path(), "SELECT count(*) FROM images").toInt(), images);
    }

    void twoProgramsShareOneStore() {
        static constexpr const char* kShown = "yyyy-MM-dd HH:mm:ss";
        TuneHistory a(dir->filePath("h.sqlite")), b(dir->filePath("h.sqlite"));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(a.record(HistoryEvent::Open, image(char(2 * i)), "a"));
            QVERIFY(b.record(HistoryEvent::Save, image(char(2 * i + 1)), "b"));
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

    // Older stores are brought up to date step by step; a newer one is only read.
    void storeOfAnotherVersion_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("version 1") << 1;
        QTest::newRow("version 2") << 2;
        QTest::newRow("a newer version") << 99;
    }
    void storeOfAnotherVersion() {
        QFETCH(int, version);
        const QString path = dir->filePath("h.sqlite");
        const QByteArray one = image(1);
        if (version > TuneHistory::kSchemaVersion) {
            TuneHistory(path).record(HistoryEvent::Open, one);
        } else {
            sql(path,
                "CREATE TABLE entries(id INTEGER PRIMARY KEY, time TEXT NOT NULL, event TEXT NOT "
                "NULL, source TEXT NOT NULL DEFAULT '', firmware TEXT NOT NULL DEFAULT '', bytes "
                "BLOB NOT NULL, hash TEXT NOT NULL, note TEXT NOT NULL DEFAULT '')");
            sql(path, QString("INSERT INTO entries(time, event, bytes, hash) VALUES('t', 'open', "
                              "x'%1', '%2')")
                          .arg(QString(one.toHex()), TuneHistory::hashOf(one)));
            if (version == 2)
                sql(path,
                    "CREATE TABLE runs(id INTEGER PRIMARY KEY, pid INTEGER NOT NULL, started "
                    "TEXT NOT NULL, clean INTEGER NOT NULL DEFAULT 0, saved TEXT, kind "
                    "INTEGER, base BLOB, edited BLOB, cells BLOB)");
        }
        sql(path, QString("PRAGMA user_version=%1").arg(version));
        const QByteArray before = test::readFile(path);
        QStringList told;
        TuneHistory h(path, [&](const QString& t) { told << t; });
        const bool newer = version > TuneHistory::kSchemaVersion;
        QCOMPARE(h.entry(1)->bytes, one);
        QVERIFY(h.record(HistoryEvent::Open, image(2)) != newer && h.keepUnsavedWork({}) != newer);
        QCOMPARE(told.join(""), newer ? "Tune History was written by a newer version of Velo "
                                        "IGX; it is read only here."
                                      : "");
        QCOMPARE(sql(path, "PRAGMA user_version").toInt(), std::max(version, 3));
        if (newer) QCOMPARE(test::readFile(path), before);
    }

    // What still reads comes across into a new store; the damaged file stays beside it.
    void damagedStoreIsSalvagedBesideIt_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("some");  // whether entries come across
        QTest::newRow("not a database") << QByteArray(4096, 'x') << false;
        QTemporaryDir seed;
        {
            TuneHistory h(seed.filePath("h.sqlite"));
            for (int i = 0; i < 200; ++i) h.record(HistoryEvent::Open, image(char(i)));
        }
        QByteArray damaged = test::readFile(seed.filePath("h.sqlite"));
        damaged.replace(damaged.size() / 2, 8192, QByteArray(8192, '\x5a'));
        QTest::newRow("a damaged page inside") << damaged << true;
        QTest::newRow("cut after its header")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(90, 1) << false;
    }
    void damagedStoreIsSalvagedBesideIt() {
        QFETCH(QByteArray, content);
        QFETCH(bool, some);
        test::writeFile(dir->filePath("h.sqlite"), content);
        QStringList told;
        TuneHistory h(dir->filePath("h.sqlite"), [&](const QString& t) { told << t; });
        QVERIFY(h.usable());
        const QVector<HistoryEntry> came = h.entries({}, 0, 1000);
        QVERIFY(h.record(HistoryEvent::Open, image('a')));
        const QStringList aside = QDir(dir->path()).entryList({"h.sqlite.corrupt-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(test::readFile(dir->filePath(aside.first())), content);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(QString(": %1 entries came across").arg(came.size())),
                 qPrintable(told[0]));
        QCOMPARE(!came.isEmpty(), some);
        for (const HistoryEntry& e : came) QCOMPARE(h.entry(e.id)->bytes, image(char(e.id - 1)));
    }

    // A store that is only busy, or cannot be opened, is never put aside.
    void storeThatCannotBeOpenedCostsOnlyTheEntry_data() {
        QTest::addColumn<QString>("in");  // "file": its folder is a file; "folder": it is one
        QTest::addColumn<QString>("says");
        QTest::newRow("no folder can be made") << "file"
                                               << "Tune History is off for this run";
        QTest::newRow("a folder of its name") << "folder"
                                              << "Tune History is off for this run";
        QTest::newRow("busy beyond the timeout") << "busy" << kBusy;
    }
    void storeThatCannotBeOpenedCostsOnlyTheEntry() {
        QFETCH(QString, in);
        QFETCH(QString, says);
        QString path = dir->filePath("h.sqlite");
        test::writeFile(dir->filePath("file"), "x");
        if (in == "file") path = dir->filePath("file/h.sqlite");
        if (in == "folder") QDir(dir->path()).mkdir("h.sqlite");
        if (in == "busy") TuneHistory(path).record(HistoryEvent::Open, image('b'));
        QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
        holder.setDatabaseName(path);
        if (in == "busy") {
            QVERIFY(holder.open());
            QSqlQuery q(holder);
            QVERIFY(q.exec("PRAGMA locking_mode=EXCLUSIVE") && q.exec("BEGIN EXCLUSIVE"));
        }
        QStringList told;
        {
            TuneHistory h(
                path, [&](const QString& t) { told << t; }, 50);
            QVERIFY(!h.usable() && !h.record(HistoryEvent::Open, image('a')) &&
                    h.lostRuns().isEmpty());
        }
        holder.close();
        holder = QSqlDatabase();
        QSqlDatabase::removeDatabase("holder");
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith(says), qPrintable(told[0]));
        QCOMPARE(QDir(dir->path()).entryList({"h.sqlite.corrupt-*"}), QStringList{});
    }

    // A read that fails says why and hands out nothing; a failed write's word stays
    // until a write works again. Readers never wait for a writer.
    void failuresSayWhy_data() {
        QTest::addColumn<QString>("fault");  // SQL run beside the store, kept open
        QTest::addColumn<QString>("error");
        QTest::newRow("damaged bytes")
            << "UPDATE images SET bytes = x'00'"
            << "Tune History entry 1 is damaged: its bytes do not match their SHA-256.";
        QTest::newRow("another program writing") << "BEGIN IMMEDIATE"
                                                 << "";
    }
    void failuresSayWhy() {
        QFETCH(QString, fault);
        QFETCH(QString, error);
        const QString path = dir->filePath("h.sqlite");
        QStringList trouble;
        TuneHistory h(
            path, [](const QString&) {}, 50);
        h.setTroubleHandler([&](const QString& t) { trouble << t; });
        QVERIFY(h.record(HistoryEvent::Open, image('a')));
        {
            QSqlDatabase holder = QSqlDatabase::addDatabase("QSQLITE", "holder");
            holder.setDatabaseName(path);
            QVERIFY(holder.open());
            QSqlQuery q(holder);
            QVERIFY(q.exec(fault) && q.exec("UPDATE entries SET note = 'x'"));
            QVERIFY(h.entry(1).has_value() == error.isEmpty() &&
                    h.newest().has_value() == error.isEmpty());
            QCOMPARE(h.error(), error);
            QCOMPARE(h.record(HistoryEvent::Download, image('b')) != 0, fault != "BEGIN IMMEDIATE");
            q.exec("ROLLBACK");
        }
        QSqlDatabase::removeDatabase("holder");
        QVERIFY(h.record(HistoryEvent::Download, image('c')));
        QCOMPARE(trouble.size(), error.isEmpty() ? 2 : 0);  // told, then cleared
        if (error.isEmpty()) QVERIFY(trouble[0].endsWith(kBusy) && trouble[1].isEmpty());
    }

    // The work of every run that is gone comes back, newest first, kept as an entry, until
    // it is answered for; a live run's never, whatever its process id says.
    void lostWorkComesBackUntilAnsweredFor() {
        const QString path = dir->filePath("h.sqlite");
        auto work = [](std::optional<TableKind> kind, char edited) {
            UnsavedWork w;
            w.kind = kind, w.base = image('x'), w.edited = image(edited), w.cells = {1.5};
            return w;
        };
        TuneHistory live(path);
        live.keepUnsavedWork(work(std::nullopt, 'l'));
        for (char c : {'a', 'b'}) TuneHistory(path).keepUnsavedWork(work(TableKind(c - 'a'), c));
        QCOMPARE(sql(path, "SELECT group_concat(kind) FROM runs").toString(), "-1,0,1");
        // Our own id stands for a reused one; a dead id for one from another namespace.
        sql(path, QString("UPDATE runs SET pid = %1").arg(QCoreApplication::applicationPid()));
        sql(path, "UPDATE runs SET pid = 2147483000 WHERE id = 1");
        TuneHistory next(path);
        QVector<UnsavedWork> lost = next.lostRuns();
        QCOMPARE(lost.size(), 2);
        QVERIFY(lost[0].kind == TableKind::Table3D && lost[1].kind == TableKind::Table2D &&
                lost[0].cells == QVector<double>{1.5});
        QCOMPARE(next.entries().size(), 2);
        QCOMPARE(next.entry(2)->bytes, image('a'));
        QVERIFY(next.settleLostRun(lost[0].run));
        lost = TuneHistory(path).lostRuns();
        QVERIFY(lost.size() == 1 && lost[0].edited == image('a') && next.entries().size() == 2);
        QVERIFY(next.settleLostRun(lost[0].run) && next.lostRuns().isEmpty());
    }
};

QTEST_GUILESS_MAIN(ServicesTest)
#include "services_test.moc"
