#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode;
    QByteArray err;
};

Run cli(const QStringList& args) {
    QProcess p;
    p.start(VELO_BIN_DIR "/velo-igx-cli", args);
    p.waitForFinished(20000);
    return {p.exitCode(), p.readAllStandardError()};
}

// Trigger timing 30, the given options byte; 2D column k and 3D grid row 2 column k
// hold (k - 1) * 10 counts.
QByteArray image(int options) {
    QByteArray b(264, '\0');
    b[32] = 30;
    b[33] = 4;
    b[34] = char(options);
    for (int k = 0; k < 21; ++k) b[k] = b[96 + 21 + k] = char(k * 10);
    return b;
}

}  // namespace

class CliModifyTest : public QObject {
    Q_OBJECT
  private slots:
    void writesTheTableOnly_data();
    void writesTheTableOnly();
    void refusals_data();
    void refusals();

  private:
    QTemporaryDir dir_;
};

void CliModifyTest::writesTheTableOnly_data() {
    QTest::addColumn<int>("options");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QList<int>>("offsets");  // file bytes expected to change...
    QTest::addColumn<QList<int>>("counts");   // ...to these
    QTest::newRow("2D +10 on columns 3-4")
        << 0x0C << QStringList{"+10", "--cols", "3-4"} << QList<int>{2, 3} << QList<int>{0, 0};
    // 28.2 and 27.4 from their texts, less 5: 77.36 and 86.46 counts.
    QTest::newRow("2D -5 with --rows 1-1")
        << 0x0C << QStringList{"-5", "--rows", "1-1", "--cols", "3-4"} << QList<int>{2, 3}
        << QList<int>{77, 86};
    QTest::newRow("3D interpolate on row 2")
        << 0x14 << QStringList{"interpolate", "--rows", "2-2", "--cols", "1-4"}
        << QList<int>{118, 119} << QList<int>{10, 20};
}

// OUT is IN with the selected cells changed and nothing else.
void CliModifyTest::writesTheTableOnly() {
    QFETCH(int, options);
    QFETCH(QStringList, args);
    QFETCH(QList<int>, offsets);
    QFETCH(QList<int>, counts);
    QByteArray in = image(options);
    in[118] = in[119] = char(99);  // 3D cells (2, 2) and (2, 3), between 0 and 30 counts
    QFile f(dir_.filePath("in.dat"));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(in) == 264);
    f.close();
    const QString out = dir_.filePath("out.dat");
    const Run r = cli(QStringList{"modify", f.fileName(), out} + args);
    QCOMPARE(r.exitCode, 0);
    QFile o(out);
    QVERIFY(o.open(QIODevice::ReadOnly));
    QByteArray expected = in;
    for (int i = 0; i < offsets.size(); ++i) expected[offsets[i]] = char(counts[i]);
    QCOMPARE(o.readAll().toHex(' '), expected.toHex(' '));
}

void CliModifyTest::refusals_data() {
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrHas");
    const QByteArray t2 = image(0x0C), t3 = image(0x14);
    QTest::newRow("table disabled")
        << image(0x04) << QStringList{"30"} << 1 << "Timing table disabled.";
    QTest::newRow("short file") << t2.left(263) << QStringList{"30"} << 1 << "premature";
    QTest::newRow("row 2 of the 2D table")
        << t2 << QStringList{"30", "--rows", "2-2"} << 2 << "--rows";
    QTest::newRow("row 9") << t3 << QStringList{"30", "--rows", "1-9"} << 2 << "--rows";
    QTest::newRow("column 0") << t3 << QStringList{"30", "--cols", "0-3"} << 2 << "--cols";
    QTest::newRow("reversed") << t3 << QStringList{"30", "--cols", "5-2"} << 2 << "--cols";
    QTest::newRow("not a range") << t3 << QStringList{"30", "--cols", "a"} << 2 << "Usage";
    QTest::newRow("no entry") << t3 << QStringList{} << 2 << "Usage";
}

void CliModifyTest::refusals() {
    QFETCH(QByteArray, in);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stderrHas);
    QFile f(dir_.filePath("in.dat"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(in);
    f.close();
    const QString out = dir_.filePath("refused.dat");
    const Run r = cli(QStringList{"modify", f.fileName(), out} + args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(stderrHas.toUtf8()), r.err.constData());
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(CliModifyTest)
#include "cli_modify_test.moc"
