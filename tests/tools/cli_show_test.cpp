#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include "support/cli_run.h"
#include "support/files.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Run = velo::test::CliRun;
const auto cli = velo::test::runCli;
using velo::test::writeFile;

}  // namespace

// The decoding itself is the image's test; here what show, diff, check and report print,
// and how every command refuses what it cannot use.
class CliShowTest : public QObject {
    Q_OBJECT
  private slots:
    void jsonHasEveryParameterAndBothTables() {
        QTemporaryDir dir;
        QByteArray image(264, '\0');
        image[32] = 30;   // trigger timing
        image[0] = 10;    // 2D column 1
        image[96] = 20;   // 3D row 8 column 1
        image[263] = 30;  // 3D row 1 column 21
        const Run r =
            cli({"show", writeFile(dir.filePath("a.dat"), image + "extra is ignored"), "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.keys(),
                 (QStringList{"CrankPulses",    "Cyl4",       "Cyl6",           "GPI1Mode",
                              "GPI1Retard",     "GPI2Mode",   "GPI2Retard",     "GPIO3MaxRPM",
                              "GPIO3MinRPM",    "GPIO3Mode",  "GPIO3Retard",    "MAPSensor",
                              "OptionsByte",    "RetardComp", "StartRetard",    "Table2D",
                              "Table2DEnabled", "Table3D",    "Table3DEnabled", "TimingEnable",
                              "TrigTiming"}));
        QVERIFY(o["Table3DEnabled"].isBool());
        QCOMPARE(o["Table2D"].toArray()[0].toDouble(), 30 - 0.0879 * 10);
        const QJsonArray t3 = o["Table3D"].toArray();
        QVERIFY(t3.size() == 8 && t3[0].toArray().size() == 21);
        QCOMPARE(t3[7].toArray()[0].toDouble(), 30 - 0.0879 * 20);   // MAP index 8
        QCOMPARE(t3[0].toArray()[20].toDouble(), 30 - 0.0879 * 30);  // MAP index 1
        QVERIFY(cli({"show", dir.filePath("a.dat")})
                    .out.contains("\nTrig Timing" + QByteArray(21, ' ') + "30 deg\n"));
    }

    // diff exits 0 only for equal images; its columns line up and its JSON keeps its keys.
    void diffTextAndJson() {
        const QString d2 = VELO_SOURCE_DIR "/resources/demo_2d.dat";
        const QString d3 = VELO_SOURCE_DIR "/resources/demo_3d.dat";
        const Run same = cli({"diff", d2, d2});
        QCOMPARE(same.exitCode, 0);
        QVERIFY(same.out.endsWith("\n\nNo differences.\n"));
        const Run text = cli({"diff", d2, d3});
        QCOMPARE(text.exitCode, 1);
        const QStringList lines = QString::fromUtf8(text.out).split('\n');
        const QString header = lines.filter(QRegularExpression("^Parameter ")).value(0);
        const QString row = lines.filter(QRegularExpression("^Timing Table ")).value(0);
        QVERIFY(row.mid(header.indexOf(" A ") + 1).startsWith("2D Timing Table "));
        QCOMPARE(row.mid(header.lastIndexOf('B')), "3D Timing Table");
        QVERIFY(text.out.contains("\n2D table: ") && text.out.contains("\n3D table: "));
        QVERIFY(cli({"diff", d2, d3, "--units", "kPa"}).out.contains("MAP in kPa)\n  MAP"));
        QVERIFY(cli({"show", d3, "--units", "bar"}).out.contains("\n  0.61  16.0"));
        const Run json = cli({"diff", d2, d3, "--json"});
        QCOMPARE(json.exitCode, 1);
        const QJsonObject o = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(o.keys(),
                 (QStringList{"a", "b", "cells", "equal", "otherBytes", "parameters", "tables"}));
        QCOMPARE(o["tables"].toArray(), (QJsonArray{"2D", "3D"}));
        QCOMPARE(o["parameters"].toArray()[0].toObject(), (QJsonObject{{"name", "Timing Table"},
                                                                       {"a", "2D Timing Table"},
                                                                       {"b", "3D Timing Table"}}));
        QCOMPARE(o["cells"].toArray()[0].toObject().keys(),
                 (QStringList{"a", "b", "gridRow", "row", "rpm", "table"}));
    }

    // Three sheets, chart, table and parameters: as PDF pages, or as text to stdout.
    void reportHasOneSheetPerPage_data() {
        QTest::addColumn<QString>("table");
        QTest::newRow("2D") << "2D";
        QTest::newRow("3D") << "3D";
    }
    void reportHasOneSheetPerPage() {
        QFETCH(QString, table);
        const QString file = VELO_SOURCE_DIR "/resources/demo_" + table.toLower() + ".dat";
        QTemporaryDir dir;
        const QString pdf = dir.filePath("r.pdf");
        QCOMPARE(cli({"report", file, pdf, "--comment", "SN 4711"}).exitCode, 0);
        const QByteArray bytes = velo::test::readFile(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]")), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"r.pdf"});
        const Run r = cli({"report", file, "-", "--comment", "SN 4711"});
        QCOMPARE(r.exitCode, 0);
        const QString out = QString::fromUtf8(r.out);
        QCOMPARE(out.count("         Serial/Comment: SN 4711\n"), 3);
        QCOMPARE(out.count('\f'), 2);
        QVERIFY(out.contains("\n         " + table + " Timing Table Enabled\n"));
    }

    // The demo tunes check clean; a 2D spike in text and JSON; files as show reads them.
    void checkExitAndFindings_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        const QString res = VELO_SOURCE_DIR "/resources/";
        // clang-format off
        QTest::newRow("2D demo") << QStringList{res + "demo_2d.dat"} << 0 << "2D timing table: 0 findings";
        QTest::newRow("3D demo") << QStringList{res + "demo_3d.dat"} << 0 << "13 cells at the trigger timing";
        QTest::newRow("spike")   << QStringList{"spike"} << 1 << "Spike at 2000 RPM: 25.3° against 30.0°";
        QTest::newRow("json")    << QStringList{"spike", "--json"} << 1 << "\"kind\": \"spike\",\n            \"row\": null";
        QTest::newRow("kPa")     << QStringList{res + "demo_3d.dat", "--json", "--units", "kPa"} << 0 << "MAP 61: 38.0°";
        QTest::newRow("short")   << QStringList{"short"} << 1 << "";
        QTest::newRow("usage")   << QStringList{"spike", "--rows"} << 2 << "";
        QTest::newRow("unit")    << QStringList{"spike", "--units", "hPa"} << 2 << "";
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
        writeFile(dir.filePath("short"), image.left(100));
        if (!args[0].contains('/')) args[0] = dir.filePath(args[0]);
        const auto r = cli(QStringList{"check"} + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(r.out).contains(out), r.out.constData());
    }

    void badFilesAndUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("263 bytes") << QStringList{"show", "short"} << 1
                                   << "Open Data File: Error - reached premature end-of-file";
        QTest::newRow("missing file") << QStringList{"show", "missing"} << 2 << "missing";
        QTest::newRow("a folder") << QStringList{"show", "."} << 2 << "Open Data File:";
        QTest::newRow("no file") << QStringList{"show"} << 2 << "Usage";
        QTest::newRow("unknown option") << QStringList{"show", "x", "--xml"} << 2 << "Usage";
        QTest::newRow("unknown command") << QStringList{"burn"} << 2 << "unknown command";
        QTest::newRow("diff of short files")
            << QStringList{"diff", "short", "short"} << 1 << "premature end-of-file";
        QTest::newRow("diff: the unreadable file decides")
            << QStringList{"diff", "short", "missing"} << 2 << "missing";
        QTest::newRow("diff of one file") << QStringList{"diff", "x"} << 2 << "Usage";
        QTest::newRow("unknown unit")
            << QStringList{"show", "x", "--units", "mmHg"} << 2 << "--units takes";
        QTest::newRow("report: no output") << QStringList{"report", "short"} << 2 << "Usage";
        QTest::newRow("report: missing file")
            << QStringList{"report", "missing", "-"} << 2 << "missing";
        QTest::newRow("report: short file")
            << QStringList{"report", "short", "-"} << 1 << "premature end-of-file";
        QTest::newRow("report: unwritable")
            << QStringList{"report", VELO_SOURCE_DIR "/resources/demo_3d.dat", "/nonexistent/r.pdf"}
            << 2 << "Report: /nonexistent/r.pdf";
        QTest::newRow("download of nothing")
            << QStringList{"download"} << 2 << "a data file is needed";
        QTest::newRow("port out of range")
            << QStringList{"upload", "a.dat", "--port", "256"} << 2 << "--port takes a number";
        QTest::newRow("port and device")
            << QStringList{"upload", "a.dat", "--port", "2", "--device", "/dev/null"} << 2
            << "not both";
        QTest::newRow("download to two files")
            << QStringList{"download", "a.dat", "b.dat"} << 2 << "unexpected argument b.dat";
        QTest::newRow("download into no folder")
            << QStringList{"download", "/no/such/folder/a.dat"} << 2 << "the folder of";
        QTest::newRow("upload of a missing file")
            << QStringList{"upload", "missing", "--device", "/dev/null"} << 2 << "Open Data File";
    }
    void badFilesAndUsage() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        writeFile(dir.filePath("short"), QByteArray(263, '\1'));
        const Run r = velo::test::runCliIn(dir.path(), args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(stderrHas.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_APPLESS_MAIN(CliShowTest)
#include "cli_show_test.moc"
