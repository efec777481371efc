#include "support/cli_run.h"
#include "support/files.h"

#include <QTemporaryDir>
#include <QtTest>

class CliModifyTest : public QObject {
    Q_OBJECT
  private slots:
    void modify_data();
    void modify();
};

void CliModifyTest::modify_data() {
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
void CliModifyTest::modify() {
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
    const QString file =
        options < 0 ? dir.filePath("missing.dat")
                    : velo::test::writeFile(dir.filePath("in.dat"), options ? in : in.left(263));
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

QTEST_GUILESS_MAIN(CliModifyTest)
#include "cli_modify_test.moc"
