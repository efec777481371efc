// velo-igx-cli end to end: what each command prints and writes, how it refuses what it
// cannot use, and its exit codes (the decoding, checks and transfers are the libraries' tests).
#include "support/cli_run.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "support/sim_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo::test;

namespace {
const QString kDemo2D = VELO_SOURCE_DIR "/resources/demo_2d.dat";
const QString kDemo3D = VELO_SOURCE_DIR "/resources/demo_3d.dat";
}  // namespace

class CliTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;  // Tune History's folder for every run here

    QJsonArray list() { return QJsonDocument::fromJson(runCli({"history", "--json"}).out).array(); }

  private slots:
    void initTestCase() { qputenv("XDG_DATA_HOME", home_.path().toUtf8()); }

    // First, while the ids count from an empty history (the refusals use its entries): the
    // tool keeps what it reads and writes, and gives it back by id.
    void historyKeepsWhatModifyReadAndWrote() {
        const QString out = home_.filePath("out.dat");
        QCOMPARE(runCli({"modify", kDemo2D, out, "+1"}).exitCode, 0);
        // Read back by id: each open and save is kept, the same bytes once.
        QCOMPARE(runCli({"modify", "@2", home_.filePath("again.dat"), "+0"}).exitCode, 0);
        const QJsonArray a = list();
        QCOMPARE(a.size(), 4);
        QCOMPARE(a[0]["event"].toString() + a[1]["source"].toString(), "save@2");
        QCOMPARE(a[3]["source"].toString(), QFileInfo(kDemo2D).absoluteFilePath());
        QCOMPARE(QJsonObject(a[0].toObject()).keys(),
                 (QStringList{"event", "firmware", "hash", "id", "note", "source", "time"}));
        // A note is kept as typed and listed on one line.
        QCOMPARE(runCli({"history", "note", "1", "as it\ncame"}).exitCode, 0);
        QCOMPARE(list().at(3)["note"].toString(), "as it\ncame");
        QVERIFY(runCli({"history"}).out.endsWith("  as it\\ncame\n"));
        QCOMPARE(runCli({"history", "export", "2", home_.filePath("e.dat")}).exitCode, 0);
        QCOMPARE(readFile(home_.filePath("e.dat")), readFile(out));
        QCOMPARE(runCli({"diff", "@2", out}).exitCode, 0);
        // A file written over is kept first.
        writeFile(home_.filePath("e.dat"), readFile(kDemo2D));
        QCOMPARE(runCli({"history", "export", "2", home_.filePath("e.dat")}).exitCode, 0);
        QCOMPARE(list().at(0)["event"].toString(), "file-replaced");
    }

    // The README and the man page name what the usage lists: every command, every unit.
    void docsNameWhatTheUsageLists_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pattern");  // what the file names, its spaces dropped
        QTest::addColumn<QString>("inUsage");
        const QString readme = "README.md", man = "packaging/man/velo-igx-cli.1";
        const QString command = R"(^  velo-igx-cli (\w+))", units = R"(\[--units (\S+)\])";
        QTest::newRow("README commands") << readme << R"(^    velo-igx-cli (\w+))" << command;
        QTest::newRow("man synopsis") << man << R"(^\.B velo-igx-cli (\w+))" << command;
        QTest::newRow("man commands") << man << R"(^\.TP\n\.B (\w+)$)" << command;
        QTest::newRow("README units") << readme << R"(--units (\w+(?:\|\w+)+))" << units;
        QTest::newRow("man units") << man << R"(^\.IR (\w+(?: \| \w+)+)$)" << units;
    }
    void docsNameWhatTheUsageLists() {
        QFETCH(QString, file);
        QFETCH(QString, pattern);
        QFETCH(QString, inUsage);
        auto named = [](const QString& text, const QString& p) {
            QStringList all;
            for (const auto& m :
                 QRegularExpression(p, QRegularExpression::MultilineOption).globalMatch(text))
                all << m.captured(1).remove(' ');
            all.removeDuplicates();
            all.sort();
            return all;
        };
        const QStringList usage = named(runCli({"--help"}).out, inUsage);
        QVERIFY(!usage.isEmpty());
        QCOMPARE(named(readFile(VELO_SOURCE_DIR "/" + file), pattern), usage);
    }

    void jsonHasEveryParameterAndBothTables() {
        QTemporaryDir dir;
        QByteArray image(264, '\0');
        image[32] = 30;   // trigger timing
        image[0] = 10;    // 2D column 1
        image[96] = 20;   // 3D row 8 column 1
        image[263] = 30;  // 3D row 1 column 21
        const CliRun r = runCli(
            {"show", writeFile(dir.filePath("a.dat"), image + "extra is ignored"), "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.keys().join(' '),
                 "CrankPulses Cyl4 Cyl6 GPI1Mode GPI1Retard GPI2Mode GPI2Retard GPIO3MaxRPM "
                 "GPIO3MinRPM GPIO3Mode GPIO3Retard MAPSensor OptionsByte RetardComp StartRetard "
                 "Table2D Table2DEnabled Table3D Table3DEnabled TimingEnable TrigTiming");
        QVERIFY(o["Table3DEnabled"].isBool());
        QCOMPARE(o["Table2D"].toArray()[0].toDouble(), 30 - 0.0879 * 10);
        const QJsonArray t3 = o["Table3D"].toArray();
        QVERIFY(t3.size() == 8 && t3[0].toArray().size() == 21);
        // As the grid: the lowest pressure first, each row labelled by its mapLabels entry.
        QCOMPARE(t3[0].toArray()[0].toDouble(), 30 - 0.0879 * 20);   // MAP index 8
        QCOMPARE(t3[7].toArray()[20].toDouble(), 30 - 0.0879 * 30);  // MAP index 1
        const QJsonObject kPa =
            QJsonDocument::fromJson(
                runCli({"show", dir.filePath("a.dat"), "--json", "--units", "kPa"}).out)
                .object();
        QCOMPARE(kPa["Table3D"], o["Table3D"]);
        QCOMPARE(kPa["mapLabels"].toArray().first().toDouble(), 54.0);  // 16 inHg
        QVERIFY(runCli({"show", dir.filePath("a.dat")})
                    .out.contains("\nTrig Timing" + QByteArray(21, ' ') + "30 deg\n"));
    }

    // diff exits 0 only for equal images; its columns line up and its JSON keeps its keys.
    void diffTextAndJson() {
        const QString &d2 = kDemo2D, &d3 = kDemo3D;
        const CliRun same = runCli({"diff", d2, d2});
        QCOMPARE(same.exitCode, 0);
        QVERIFY(same.out.endsWith("\n\nNo differences.\n"));
        const CliRun text = runCli({"diff", d2, d3});
        QCOMPARE(text.exitCode, 1);
        const QStringList lines = QString::fromUtf8(text.out).split('\n');
        const QString header = lines.filter(QRegularExpression("^Parameter ")).value(0);
        const QString row = lines.filter(QRegularExpression("^Timing Table ")).value(0);
        QVERIFY(row.mid(header.indexOf(" A ") + 1).startsWith("2D Timing Table "));
        QCOMPARE(row.mid(header.lastIndexOf('B')), "3D Timing Table");
        QVERIFY(text.out.contains("\n2D table: ") && text.out.contains("\n3D table: "));
        QVERIFY(runCli({"diff", d2, d3, "--units", "kPa"}).out.contains("MAP in kPa)\n  MAP"));
        QVERIFY(runCli({"show", d3, "--units", "bar"}).out.contains("\n  0.61  16.0"));
        const CliRun json = runCli({"diff", d2, d3, "--json"});
        QCOMPARE(json.exitCode, 1);
        const QJsonObject o = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(o.keys(), (QStringList{"a", "b", "cells", "comparedBy", "equal", "otherBytes",
                                        "parameters", "pressureUnit", "tables"}));
        QCOMPARE(o["tables"].toArray(), (QJsonArray{"2D", "3D"}));
        QCOMPARE(o["parameters"].toArray()[0].toObject(), (QJsonObject{{"name", "Timing Table"},
                                                                       {"a", "2D Timing Table"},
                                                                       {"b", "3D Timing Table"}}));
        QCOMPARE(o["cells"].toArray()[0].toObject().keys(),
                 (QStringList{"a", "b", "gridRow", "row", "rpm", "table"}));
    }

    // Three sheets, chart, table and parameters: as PDF pages, or as text to stdout.
    void reportHasOneSheetPerPage() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("r.pdf");
        QCOMPARE(runCli({"report", kDemo2D, pdf, "--comment", "SN 4711"}).exitCode, 0);
        const QByteArray bytes = readFile(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]")), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"r.pdf"});
        const CliRun r = runCli({"report", kDemo2D, "-", "--comment", "SN 4711"});
        QCOMPARE(r.exitCode, 0);
        const QString out = QString::fromUtf8(r.out);
        QCOMPARE(out.count("         Serial/Comment: SN 4711\n"), 3);
        QCOMPARE(out.count('\f'), 2);
        QVERIFY(out.contains("\n         2D Timing Table Enabled\n"));
    }

    // The demo tunes check clean; a 2D spike in text and JSON.
    void checkExitAndFindings_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        // clang-format off
        QTest::newRow("2D demo") << QStringList{kDemo2D} << 0 << "2D timing table: 0 findings";
        QTest::newRow("3D demo") << QStringList{kDemo3D} << 0 << "13 cells at the trigger timing";
        QTest::newRow("spike")   << QStringList{"spike"} << 1 << "table: 1 finding.\nSpike at 2000 RPM: 25.3° against 30.0° on average beside it (more than 4.0° apart).";
        QTest::newRow("json")    << QStringList{"spike", "--json"} << 1 << "\"kind\": \"spike\",\n            \"row\": \"ADV\"";
        QTest::newRow("kPa")     << QStringList{kDemo3D, "--json", "--units", "kPa"} << 0 << "MAP 61: 38.0°";
        // clang-format on
    }
    void checkExitAndFindings() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QTemporaryDir dir;
        QByteArray image(264, '\0');
        image[32] = 30;    // trigger timing
        image[34] = 0x0C;  // 2D table in use
        image[4] = 53;     // 2000 RPM, 4.7 degrees below its neighbours
        writeFile(dir.filePath("spike"), image);
        if (!args[0].contains('/')) args[0] = dir.filePath(args[0]);
        const auto r = runCli(QStringList{"check"} + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(r.out).contains(out), r.out.constData());
    }

    // Each refused: why on stderr, nothing on stdout, Tune History as it was.
    void badFilesAndUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrHas");
        auto row = [](const char* name, const QStringList& args, int exitCode, const char* err) {
            QTest::newRow(name) << args << exitCode << QString(err);
        };
        // clang-format off
        row("263 bytes", {"show", "short"}, 1, "Open Data File: Error - reached premature end-of-file");
        row("missing file", {"show", "missing"}, 2, "missing");
        row("no file", {"show"}, 2, "show needs FILE.dat\nUsage");
        row("unknown option", {"show", "x", "--xml"}, 2, "Usage");
        row("unknown command", {"burn"}, 2, "unknown command");
        row("history: no such entry", {"history", "export", "99", "x.dat"}, 1, "no entry 99");
        row("history: unknown word", {"history", "drop", "1", "x"}, 2, "history: give");
        row("history: into no folder", {"history", "export", "1", "/no/x.dat"}, 2, "cannot write /no/x.dat");
        row("@ of no entry", {"show", "@99"}, 2, "No such entry in Tune History");
        row("diff of short files", {"diff", "short", "short"}, 1, "premature end-of-file");
        row("diff: the unreadable file decides", {"diff", "short", "missing"}, 2, "missing");
        row("diff of one file", {"diff", "x"}, 2, "Usage");
        row("unknown unit", {"show", "x", "--units", "mmHg"}, 2, "--units takes");
        row("check: short file", {"check", "short"}, 1, "premature end-of-file");
        row("check: unknown option", {"check", "x", "--rows"}, 2, "not --rows\nUsage");
        row("check: unknown unit", {"check", "x", "--units", "hPa"}, 2, "--units takes");
        row("report: no output", {"report", "short"}, 2, "Usage");
        row("report: missing file", {"report", "missing", "-"}, 2, "missing");
        row("report: short file", {"report", "short", "-"}, 1, "premature end-of-file");
        row("report: unwritable", {"report", kDemo3D, "/no/r.pdf"}, 2, "Report: /no/r.pdf");
        row("download of nothing", {"download"}, 2, "a data file is needed");
        row("port out of range", {"upload", "a.dat", "--port", "256"}, 2, "--port takes a number");
        row("port and device", {"upload", "a.dat", "--port", "2", "--device", "/dev/null"}, 2, "not both");
        row("download to two files", {"download", "a.dat", "b.dat"}, 2, "unexpected argument b.dat");
        row("download into no folder", {"download", "/no/such/folder/a.dat"}, 2, "the folder of");
        row("import without OUT", {"import", "a.dat", "t.csv"}, 2, "import needs");
        row("upload of a missing file", {"upload", "missing", "--device", "/dev/null"}, 2, "Open Data File");
        // clang-format on
    }
    void badFilesAndUsage() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        writeFile(dir.filePath("short"), QByteArray(263, '\1'));
        const QJsonArray history = list();
        const CliRun r = runCliIn(dir.path(), args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(stderrHas.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(list(), history);
    }

    // export, import and modify: OUT is IN with the edit, written whole or not at all.
    void import_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("edit");  // applied to the exported text: "regex=>to|..."
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrHas");
        QTest::addColumn<int>("bytesChanged");
        auto row = [](const char* name, const char* edit, int code, const char* err, int changed,
                      const QString& in = kDemo3D) {
            QTest::newRow(name) << in << edit << code << err << changed;
        };
        // Export and import with nothing changed in between must not move a single count.
        row("2D as exported", "", 0, "", 0, kDemo2D);
        row("3D as exported", "", 0, "", 0);
        // The 3D demo: trigger timing 38; its last row ends "...,19.0".
        row("semicolons, a decimal comma", ",=>;|19.0\n=>30,0\n", 0, "", 1);
        row("tabs", ",=>\t|19.0\n=>30.0\n", 0, "", 1);
        row("a cell past the trigger timing", "19.0\n=>39\n", 1, "between 16 and 38 degrees", 0);
        row("a line short", ",19.0\n=>\n", 1, "Line 9", 0);
        row("a 2D shape", "MAP/RPM=>RPM", 1, "holds a 2D table", 0);
        row("a row missing", "\n60,[^\n]*=>", 1, "8 rows", 0);
        // Rows go by their label, in any order; the 2D one by "ADV" or as the only row.
        row("two rows swapped", "\n(18,[^\n]*)\n(24,[^\n]*)=>\n\\2\n\\1", 0, "", 0);
        row("the 2D row under another label", "ADV=>Advance", 0, "", 0, kDemo2D);
        row("a row of no MAP", "\n60,=>\n99,", 1, "Line 9: \"99\" is no MAP row of the 2 bar", 0);
        row("a row twice", "\n60,=>\n54,", 1,
            "Line 9: the row MAP 54 is given twice (also on line 8)", 0);
        // What spreadsheets write: quotes, separator-only rows, a sep= line, a quoted decimal
        // comma, UTF-16.
        row("sep=, quotes, empty rows", "^=>sep=,\n|MAP/RPM=>\"MAP/RPM\"|\n=>\n,,,\n", 0, "", 0);
        row("a quoted decimal comma", ",19.0\n=>,\"30,0\"\n|utf-16", 0, "", 1);
    }

    // OUT is written whole when the import is taken, never when refused.
    void import() {
        QFETCH(QString, in);
        QFETCH(QString, edit);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrHas);
        QFETCH(int, bytesChanged);
        QTemporaryDir dir;
        const QString csv = dir.filePath("t.csv");
        QCOMPARE(runCli({"export", in, csv}).exitCode, 0);
        QString text = QString::fromUtf8(readFile(csv));
        bool utf16 = false;
        for (const QString& step : edit.split('|', Qt::SkipEmptyParts)) {
            const QStringList fromTo = step.split("=>");
            if (step == "utf-16")
                utf16 = true;
            else
                text.replace(QRegularExpression(fromTo[0]), fromTo[1]);
        }
        writeFile(csv, utf16 ? "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(text.utf16()),
                                                       text.size() * 2)
                             : text.toUtf8());
        const auto run = runCli({"import", in, csv, dir.filePath("out.dat")});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(stderrHas.toUtf8()), run.err.constData());
        const QByteArray out = readFile(dir.filePath("out.dat")), original = readFile(in);
        QCOMPARE(out.size(), exitCode ? 0 : original.size());
        if (exitCode) return;
        int changed = 0;
        for (int i = 0; i < out.size(); ++i) changed += out[i] != original[i];
        QCOMPARE(changed, bytesChanged);
    }

    void modify_data() {
        QTest::addColumn<int>("options");  // 0x0C: 2D table, 0x14: 3D table, 0x04: none, -1: no IN
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("changes");  // "offset=count ..." of OUT against IN
        QTest::addColumn<QString>("stderrHas");
        auto row = [](const char* name, int options, const QStringList& args, int exitCode,
                      const char* changes, const char* stderrHas = "") {
            QTest::newRow(name) << options << args << exitCode << QString(changes)
                                << QString(stderrHas);
        };
        row("2D -30, to the lower limit", 0x0C, {"-30", "--cols", "3-4"}, 0, "2=250 3=250");
        row("3D interpolate", 0x14, {"interpolate", "--rows", "2-2", "--cols", "1-4"}, 0,
            "118=10 119=20");
        row("table disabled", 0x04, {"30"}, 1, "", "No timing table is in use.");
        row("short file", 0, {"30"}, 1, "", "premature end-of-file");
        row("IN cannot be read", -1, {"30"}, 2, "", "Open Data File");
        row("row 2 of a 2D table", 0x0C, {"30", "--rows", "2-2"}, 2, "", "--rows");
        row("reversed", 0x14, {"30", "--cols", "5-2"}, 2, "", "--cols");
        row("not a range", 0x14, {"30", "--cols", "a"}, 2, "", "Usage");
        row("no entry", 0x14, {}, 2, "", "Usage");
    }

    // Trigger timing 30; 2D column k and 3D grid row 2 column k hold (k - 1) * 10 counts,
    // but for 3D (2, 2) and (2, 3). OUT is IN with the expected changes, or not written.
    void modify() {
        QFETCH(int, options);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, changes);
        QFETCH(QString, stderrHas);
        QByteArray in(264, '\0');
        in[32] = 30;
        in[33] = 4;  // cranking pulses in range: the save keeps every parameter byte
        in[34] = char(options);
        for (int k = 0; k < 21; ++k) in[k] = in[117 + k] = char(k * 10);
        in[118] = in[119] = char(99);
        QTemporaryDir dir;
        const QString file = options < 0
                                 ? dir.filePath("missing.dat")
                                 : writeFile(dir.filePath("in.dat"), options ? in : in.left(263));
        const auto run = runCli(QStringList{"modify", file, dir.filePath("out.dat")} + args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.err.contains(stderrHas.toUtf8()));
        QFile out(dir.filePath("out.dat"));
        QCOMPARE(out.open(QIODevice::ReadOnly), exitCode == 0);
        for (const QString& c : changes.split(' ', Qt::SkipEmptyParts))
            in[c.section('=', 0, 0).toInt()] = char(c.section('=', 1).toInt());
        if (exitCode == 0) QCOMPARE(out.readAll().toHex(' '), in.toHex(' '));
    }

    // A download writes data.dat, whose size before is fileSize; an upload reads it. The
    // lines are patterns stderr must match. The stored port is bad: it is reported as the
    // window reports it, and --device still reaches the controller.
    void transfer_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<int>("fileSize");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        // The trace: each byte with its time, the resync first.
        QTest::newRow("download")
            << "download" << QStringList{} << 19 << 0
            << QStringList{R"(^Error: The stored port setting "abc" is not a port number \(Type )"
                           R"(mismatch\)\.\n)",
                           "Download From EEPROM: Firmware ID: IGX-1 V2.1\n",
                           "Download From EEPROM: Downloaded data to buffer. Ready for editing.\n",
                           R"(\d+\.\d{3} ms > 0x33\n)", "ms < 0x06\n"};
        QTest::newRow("failed download keeps the old file")
            << "download" << QStringList{"--resync-answer", "0"} << 19 << 1
            << QStringList{"Download From EEPROM: Cannot establish RS-232 link."};
        QTest::newRow("upload") << "upload" << QStringList{} << 264 << 0
                                << QStringList{"Upload To EEPROM: Upload completed."};
        QTest::newRow("upload of a short file")
            << "upload" << QStringList{} << 263 << 1
            << QStringList{"Open Data File: Error - reached premature end-of-file",
                           "  data.dat holds 263 bytes"};
        // Its random 2D table in use: the findings come first, titled as every message.
        QTest::newRow("upload without the read first")
            << "upload --no-read-first" << QStringList{} << 264 << 0
            << QStringList{"\nCheck Timing Table: Spike at", "Upload To EEPROM: Upload completed."};
        // verify: the same file as the controller when it should exit 0.
        QTest::newRow("verify, the same") << "verify" << QStringList{} << 264 << 0
                                          << QStringList{"Compare With Controller: Firmware ID"};
        QTest::newRow("verify, different")
            << "verify" << QStringList{} << 264 << 1 << QStringList{};
        QTest::newRow("upload, read-back differs")
            << "upload" << QStringList{"--read-corrupt", "40"} << 264 << 1
            << QStringList{"Upload To EEPROM: Upload aborted - EEPROM verification failed."};
        // The row before left the controller half programmed: told before anything else.
        QTest::newRow("the next transfer warns")
            << "upload" << QStringList{} << 263 << 1
            << QStringList{"\nTune History: Controller may be partly programmed.*\nOpen Data"};
    }

    void transfer() {
        QFETCH(QString, command);
        QFETCH(QStringList, sim);
        QFETCH(int, fileSize);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QByteArray controller = bytesOf(randomImage(51));
        QByteArray data = bytesOf(randomImage(command == "verify" && exitCode == 0 ? 51 : 61));
        data.resize(fileSize, 'x');
        if (command.contains("no-read")) data[34] = 0x0C;
        writeFile(dir.filePath("data.dat"), data);
        QSettings(dir.filePath("Velo_IGX_Main/Velo_IGX_Main.ini"), QSettings::IniFormat)
            .setValue("Properties/CommPort", "abc");
        const QString saved = dir.filePath("saved.dat");
        SimProcess process(sim + QStringList{"--image",
                                             writeFile(dir.filePath("c.dat"), controller), "--save",
                                             saved, "--verbose"});
        // Run in the folder, so the short-file detail names the file as given.
        const QStringList words = command.split(' ');
        const CliRun r = runCliIn(
            dir.path(), QStringList{words[0], "data.dat", "--device", process.device(), "--trace"} +
                            words.mid(1));
        QCOMPARE(r.exitCode, exitCode);
        for (const QString& line : lines)
            QVERIFY2(QRegularExpression(line).match(QString(r.err)).hasMatch(), r.err.constData());
        QCOMPARE(process.stop(), 0);
        const bool downloaded = command == "download" && exitCode == 0;
        QCOMPARE(readFile(dir.filePath("data.dat")), downloaded ? controller : data);
        // Nothing half-written beside it.
        QCOMPARE(QDir(dir.path()).entryList({"data.dat*"}, QDir::Files), QStringList{"data.dat"});
        if (command.startsWith("upload") && exitCode == 0) {
            QCOMPARE(readFile(saved), data);
            // The controller's own tune is read first unless told not to.
            QCOMPARE(r.err.count("> 0x15\n"), (words.size() > 1 ? 264 : 528) + data.count('\x15'));
        }
        if (command == "verify") {
            QCOMPARE(readFile(saved), controller);
            QCOMPARE(r.out.contains("No differences."), exitCode == 0);
        }
        // A file that cannot be used costs no traffic at all.
        if (command == "upload" && fileSize < 264)
            QVERIFY2(!process.log().contains(" rx "), process.log().constData());
    }

    // A simulated IGX-1 beside a silent one: the answer, the JSON fields, the exit codes.
    void findsTheControllerAmongSilentPorts() {
        SimProcess igx, silent({"--silent-from", "1"});
        const auto r =
            runCli({"ports", "--device", silent.device(), "--device", igx.device(), "--json"});
        QCOMPARE(r.exitCode, 0);
        QJsonObject found, quiet;
        for (const QJsonValue v : QJsonDocument::fromJson(r.out).array()) {
            if (v["device"] == igx.device()) found = v.toObject();
            if (v["device"] == silent.device()) quiet = v.toObject();
        }
        QCOMPARE(found.keys(),
                 (QStringList{"byId", "chip", "description", "device", "driver", "firmware", "igx",
                              "latencyMs", "manufacturer", "problem", "serial"}));
        QVERIFY(found["igx"].toBool() && found["firmware"].toString().contains("IGX-1"));
        QVERIFY(found["problem"].isNull() && found["byId"].isNull());
        QVERIFY(quiet["firmware"].isNull() && !quiet["igx"].toBool());
        QCOMPARE(quiet["problem"].toString(), QString("silent (no answer in 1 s)"));
        QCOMPARE(runCli({"ports", "--device", silent.device()}).exitCode, 1);
        QCOMPARE(runCli({"ports", "--bogus"}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "cli_test.moc"
