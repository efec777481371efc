#include "support/cli_run.h"
#include "support/files.h"

#include <QTemporaryDir>
#include <QtTest>

using velo::test::readFile;
using velo::test::runCli;

// export, import and modify: OUT is IN with the edit, written whole or not at all.
class CliCsvTest : public QObject {
    Q_OBJECT
  private slots:
    // Export and import with nothing changed in between must not move a single count.
    void roundTripKeepsEveryByte() {
        QTemporaryDir dir;
        const QString csv = dir.filePath("t.csv"), out = dir.filePath("out.dat");
        for (const char* demo : {"demo_2d.dat", "demo_3d.dat"}) {
            const QString in = VELO_SOURCE_DIR "/resources/" + QString(demo);
            QCOMPARE(runCli({"export", in, csv}).exitCode, 0);
            QCOMPARE(runCli({"import", in, csv, out}).exitCode, 0);
            QCOMPARE(readFile(out), readFile(in));
        }
        QCOMPARE(runCli({"import", out, csv}).exitCode, 2);  // OUT missing: usage
    }

    void import_data() {
        QTest::addColumn<QString>("edit");  // applied to the exported text: "regex=>to|..."
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrHas");
        QTest::addColumn<int>("bytesChanged");
        auto row = [](const char* name, const char* edit, int code, const char* err, int changed) {
            QTest::newRow(name) << edit << code << err << changed;
        };
        // The 3D demo: trigger timing 38; its last row ends "...,19.0".
        row("semicolons, a decimal comma", ",=>;|19.0\n=>30,0\n", 0, "", 1);
        row("tabs", ",=>\t|19.0\n=>30.0\n", 0, "", 1);
        row("a cell past the trigger timing", "19.0\n=>39\n", 1, "between 16 and 38 degrees", 0);
        row("a line short", ",19.0\n=>\n", 1, "Line 9", 0);
        row("a 2D shape", "MAP/RPM=>RPM", 1, "The first line", 0);
        row("a row missing", "\n60,[^\n]*=>", 1, "8 rows", 0);
    }

    // IN is the 3D demo; OUT is written whole when the import is taken, never when refused.
    void import() {
        QFETCH(QString, edit);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrHas);
        QFETCH(int, bytesChanged);
        QTemporaryDir dir;
        const QString in = VELO_SOURCE_DIR "/resources/demo_3d.dat", csv = dir.filePath("t.csv");
        QCOMPARE(runCli({"export", in, csv}).exitCode, 0);
        QString text = QString::fromUtf8(readFile(csv));
        for (const QString& step : edit.split('|')) {
            const QStringList fromTo = step.split("=>");
            text.replace(QRegularExpression(fromTo[0]), fromTo[1]);
        }
        velo::test::writeFile(csv, text.toUtf8());
        const auto run = runCli({"import", in, csv, dir.filePath("out.dat")});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(stderrHas.toUtf8()), run.err.constData());
        const QByteArray out = readFile(dir.filePath("out.dat")), original = readFile(in);
        QCOMPARE(out.isEmpty(), exitCode != 0);
        if (exitCode != 0) return;
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
        row("2D +10", 0x0C, {"+10", "--cols", "3-4"}, 0, "2=0 3=0");
        // 28.2 and 27.4 read from the cells' texts, less 5: 77.36 and 86.46 counts.
        row("2D -5", 0x0C, {"-5", "--rows", "1-1", "--cols", "3-4"}, 0, "2=77 3=86");
        row("3D interpolate", 0x14, {"interpolate", "--rows", "2-2", "--cols", "1-4"}, 0,
            "118=10 119=20");
        row("table disabled", 0x04, {"30"}, 1, "", "Timing table disabled.");
        row("short file", 0, {"30"}, 1, "", "premature end-of-file");
        row("IN cannot be read", -1, {"30"}, 2, "", "Open Data File");
        row("row 2 of a 2D table", 0x0C, {"30", "--rows", "2-2"}, 2, "", "--rows");
        row("row 9", 0x14, {"30", "--rows", "1-9"}, 2, "", "--rows");
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
        const QString file = options < 0 ? dir.filePath("missing.dat")
                                         : velo::test::writeFile(dir.filePath("in.dat"),
                                                                 options ? in : in.left(263));
        const auto run =
            velo::test::runCli(QStringList{"modify", file, dir.filePath("out.dat")} + args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.err.contains(stderrHas.toUtf8()));
        QFile out(dir.filePath("out.dat"));
        QCOMPARE(out.open(QIODevice::ReadOnly), exitCode == 0);
        for (const QString& c : changes.split(' ', Qt::SkipEmptyParts))
            in[c.section('=', 0, 0).toInt()] = char(c.section('=', 1).toInt());
        if (exitCode == 0) QCOMPARE(out.readAll().toHex(' '), in.toHex(' '));
    }
};

QTEST_GUILESS_MAIN(CliCsvTest)
#include "cli_csv_test.moc"
