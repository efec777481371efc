#include "support/cli_run.h"
#include "support/files.h"

#include <QTemporaryDir>
#include <QtTest>

class CliCheckTest : public QObject {
    Q_OBJECT
  private slots:
    // The demo tunes check clean; a 2D spike in text and JSON; files as show reads them.
    void exitAndFindings_data() {
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
    void exitAndFindings() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QTemporaryDir dir;
        QByteArray image(264, '\0');
        image[32] = 30;    // trigger timing
        image[34] = 0x0C;  // 2D table in use
        image[4] = 53;     // 2000 RPM, 4.7 degrees below its neighbours
        velo::test::writeFile(dir.filePath("spike"), image);
        velo::test::writeFile(dir.filePath("short"), image.left(100));
        if (!args[0].contains('/')) args[0] = dir.filePath(args[0]);
        const auto r = velo::test::runCli(QStringList{"check"} + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(r.out).contains(out), r.out.constData());
    }
};

QTEST_GUILESS_MAIN(CliCheckTest)
#include "cli_check_test.moc"
