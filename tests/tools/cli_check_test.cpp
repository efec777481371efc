#include "support/cli_run.h"
#include "support/files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

class CliCheckTest : public QObject {
    Q_OBJECT
  private slots:
    void exitAndFindings_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        const QString res = VELO_SOURCE_DIR "/resources/";
        QTest::newRow("2D demo") << res + "demo_2d.dat"
                                 << "" << 0 << "2D timing table: 0 findings";
        QTest::newRow("3D demo notes") << res + "demo_3d.dat"
                                       << "" << 0 << "Notes: 13 cells at the trigger timing, 0 at";
        QTest::newRow("spike") << "spike"
                               << "" << 1
                               << "Spike at 2000 RPM: 25.3° against 30.0° on average beside it";
        QTest::newRow("spike json") << "spike"
                                    << "--json" << 1 << "spike 2000 null 25.3";
        QTest::newRow("short") << "short"
                               << "" << 1 << "";
        QTest::newRow("missing") << "none"
                                 << "" << 2 << "";
        QTest::newRow("usage") << "spike"
                               << "--rows" << 2 << "";
    }
    void exitAndFindings() {
        QFETCH(QString, file);
        QFETCH(QString, flag);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QTemporaryDir dir;
        QByteArray image(264, '\0');
        image[32] = 30;    // trigger timing
        image[34] = 0x0C;  // 2D table in use
        image[4] = 53;     // 2000 RPM, 4.7 degrees below its neighbours
        velo::test::writeFile(dir.filePath("spike"), image);
        velo::test::writeFile(dir.filePath("short"), image.left(100));
        if (!file.contains('/')) file = dir.filePath(file);
        const auto r = velo::test::runCli(flag.isEmpty() ? QStringList{"check", file}
                                                         : QStringList{"check", file, flag});
        QCOMPARE(r.exitCode, exitCode);
        QString got = QString::fromUtf8(r.out);
        if (flag == "--json") {
            const QJsonObject f = QJsonDocument::fromJson(r.out)["findings"][0].toObject();
            got = QString("%1 %2 %3 %4 %5")
                      .arg(f["kind"].toString())
                      .arg(f["rpm"].toInt())
                      .arg(f["row"].isNull() ? "null" : "?")
                      .arg(f["advance"].toDouble(), 0, 'f', 1)
                      .arg(f["sentence"].toString());
        }
        QVERIFY2(got.contains(out), qPrintable(got));
    }
};

QTEST_GUILESS_MAIN(CliCheckTest)
#include "cli_check_test.moc"
