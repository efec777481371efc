#include "support/cli_run.h"
#include "support/files.h"

#include <QTemporaryDir>
#include <QtTest>

using velo::test::readFile;
using velo::test::runCli;

class CliCsvTest : public QObject {
    Q_OBJECT
  private slots:
    void roundTripKeepsEveryByte_data();
    void roundTripKeepsEveryByte();
    void import_data();
    void import();
};

void CliCsvTest::roundTripKeepsEveryByte_data() {
    QTest::addColumn<QString>("demo");
    QTest::newRow("2D demo") << "demo_2d.dat";
    QTest::newRow("3D demo") << "demo_3d.dat";
}

// Export and import with nothing changed in between must not move a single count.
void CliCsvTest::roundTripKeepsEveryByte() {
    QFETCH(QString, demo);
    QTemporaryDir dir;
    const QString in = VELO_SOURCE_DIR "/resources/" + demo, csv = dir.filePath("t.csv");
    QCOMPARE(runCli({"export", in, csv}).exitCode, 0);
    QCOMPARE(runCli({"import", in, csv, dir.filePath("out.dat")}).exitCode, 0);
    QCOMPARE(readFile(dir.filePath("out.dat")), readFile(in));
    QCOMPARE(runCli({"import", in, csv}).exitCode, 2);  // OUT missing: usage
}

void CliCsvTest::import_data() {
    QTest::addColumn<QString>("edit");  // applied to the exported text: "from=>to"
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
    row("a row missing", "60,=>|\n60=>", 1, "8 rows", 0);
}

// IN is the 3D demo; OUT is written whole when the import is taken, never when refused.
void CliCsvTest::import() {
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
        if (fromTo[0] == "60,") {  // drop the 60 row
            text.remove(QRegularExpression("\n60,[^\n]*"));
            continue;
        }
        if (fromTo.size() == 2) text.replace(fromTo[0], fromTo[1]);
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

QTEST_GUILESS_MAIN(CliCsvTest)
#include "cli_csv_test.moc"
