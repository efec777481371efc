#include "support/cli_run.h"
#include "support/files.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Run = velo::test::CliRun;
const auto cli = velo::test::runCli;

QString demo(const char* name) {
    return QString(VELO_SOURCE_DIR "/resources/") + name;
}

}  // namespace

class CliReportTest : public QObject {
    Q_OBJECT
  private slots:
    // The sheets the PDF holds: chart, table, parameters.
    void pdfHasOnePagePerSheet_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("2D") << demo("demo_2d.dat");
        QTest::newRow("3D") << demo("demo_3d.dat");
    }
    void pdfHasOnePagePerSheet() {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("r.pdf");
        const Run r = cli({"report", file, pdf, "--comment", "SN 4711"});
        QCOMPARE(r.exitCode, 0);
        const QByteArray bytes = velo::test::readFile(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page[^s]")), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"r.pdf"});
    }

    void textGoesToStdout() {
        const Run r = cli({"report", demo("demo_3d.dat"), "-", "--comment", "SN 4711"});
        QCOMPARE(r.exitCode, 0);
        const QString out = QString::fromUtf8(r.out);
        QCOMPARE(out.count("         Serial/Comment: SN 4711\n"), 3);
        QCOMPARE(out.count('\f'), 2);
        QVERIFY(out.contains("\n         3D Timing Table Enabled\n"));
    }

    void badInputsExitAsDocumented_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no output") << QStringList{"report", demo("demo_3d.dat")} << 2;
        QTest::newRow("missing file") << QStringList{"report", "/nonexistent/a.dat", "-"} << 2;
        QTest::newRow("short file") << QStringList{"report", "SHORT", "-"} << 1;
        QTest::newRow("unwritable")
            << QStringList{"report", demo("demo_3d.dat"), "/nonexistent/r.pdf"} << 2;
    }
    void badInputsExitAsDocumented() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        args.replaceInStrings("SHORT",
                              velo::test::writeFile(dir.filePath("short.dat"), QByteArray(100, 0)));
        QCOMPARE(cli(args).exitCode, exitCode);
    }
};

QTEST_GUILESS_MAIN(CliReportTest)
#include "cli_report_test.moc"
