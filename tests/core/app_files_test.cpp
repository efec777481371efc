#include "core/app_files.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

class AppFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void ownFolderFirstThenDataFolder_data() {
        QTest::addColumn<QStringList>("holders");  // the folders that have the file
        QTest::addColumn<QString>("found");
        QTest::newRow("own folder wins") << QStringList{"own", "data"} << "own";
        QTest::newRow("data folder second") << QStringList{"data"} << "data";
        // The missing-file messages name the program's own folder.
        QTest::newRow("neither") << QStringList{} << "own";
    }
    void ownFolderFirstThenDataFolder() {
        QFETCH(QStringList, holders);
        QFETCH(QString, found);
        QTemporaryDir dir;
        QDir root(dir.path());
        QVERIFY(root.mkdir("own") && root.mkdir("data"));
        for (const QString& sub : holders)
            QVERIFY(QFile(root.filePath(sub + "/Velo_IGX.cfg")).open(QIODevice::WriteOnly));
        const AppFiles files(root.filePath("own"), root.filePath("data"));
        QCOMPARE(files.path("Velo_IGX.cfg"), root.filePath(found + "/Velo_IGX.cfg"));
    }
};

QTEST_GUILESS_MAIN(AppFilesTest)
#include "app_files_test.moc"
