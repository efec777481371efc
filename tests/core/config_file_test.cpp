#include "core/config_file.h"
#include "core/error_report.h"
#include "core/scripted_interaction.h"
#include "support/files.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

namespace {
void writeConfig(const QTemporaryDir& dir, const QString& text) {
    test::writeFile(dir.filePath(kConfigFileName), text.toLatin1());
}
}  // namespace

class ConfigFileTest : public QObject {
    Q_OBJECT
  private slots:
    void missingFileGivesDefaults() {
        QTemporaryDir dir;
        const BrandInfo b = readConfigFile(dir.path());
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
        QTemporaryDir dir;
        writeConfig(dir, text);
        const BrandInfo b = readConfigFile(dir.path());
        QCOMPARE(b.SplashInfo, splash);
        QCOMPARE(b.MakerInfo, maker);
    }

    // A file that ends before its closing marker is reported, and Ignore goes on with what
    // was read; a read of a line it lacks fails, never gives a blank.
    void shortFile() {
        QTemporaryDir dir;
        writeConfig(dir, "!c\nAlpha\nArial\n20\n");
        ScriptedInteraction ui;
        ui.answer(Answer::Ignore);
        const BrandInfo b = loadBrandInfo(ui, dir.path());
        QCOMPARE(ui.shown().size(), 1);
        QVERIFY(ui.shown()[0].title == "Error" && ui.shown()[0].text.contains("Velo_IGX.cfg"));
        QCOMPARE(b.SplashInfo, (QStringList{"Alpha", "Arial", "20"}));
        QCOMPARE(b.fontSize(), 20);
        QVERIFY_THROWS_EXCEPTION(RunError, b.bold());
        QVERIFY_THROWS_EXCEPTION(RunError, b.hasLogo());
        QVERIFY_THROWS_EXCEPTION(RunError, b.makerName());
        QVERIFY_THROWS_EXCEPTION(RunError, velo::aboutText(b));
    }
};

QTEST_APPLESS_MAIN(ConfigFileTest)
#include "config_file_test.moc"
