#include "core/recent_files.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class RecentFilesTest : public QObject {
    Q_OBJECT
  private slots:
    // Newest first, each file once however it was named, never more than eight.
    void newestFirstOnceEach() {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("s.ini"), QSettings::IniFormat);
        velo::RecentFiles recent(settings);
        for (int i = 1; i <= 9; ++i) recent.add(dir.filePath(QString("t%1.dat").arg(i)));
        recent.add(dir.filePath("sub/../t5.dat"));
        QStringList names;
        for (const QString& p : velo::RecentFiles(settings).paths())
            names << QFileInfo(p).fileName();
        QCOMPARE(names.join(' '), QString("t5.dat t9.dat t8.dat t7.dat t6.dat t4.dat t3.dat t2.dat"));
    }
};

QTEST_GUILESS_MAIN(RecentFilesTest)
#include "recent_files_test.moc"
