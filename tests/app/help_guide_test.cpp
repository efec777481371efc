#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// A guide that points at a missing picture or section shows a hole to the tuner.
class HelpGuideTest : public QObject {
    Q_OBJECT
  private slots:
    void picturesAndSectionsResolve() {
        const QDir resources(VELO_SOURCE_DIR "/resources");
        QFile file(resources.filePath("Velo_IGX_Help.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QSet<QString> ids;
        for (const auto& m : QRegularExpression("\\bid=\"([^\"]+)\"").globalMatch(html))
            ids << m.captured(1);
        for (const auto& m : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html))
            QVERIFY2(ids.contains(m.captured(1)), qPrintable("no section " + m.captured(1)));
        QSet<QString> shown;
        for (const auto& m : QRegularExpression("<img src=\"([^\"]+)\"").globalMatch(html)) {
            QVERIFY2(resources.exists(m.captured(1)), qPrintable("no picture " + m.captured(1)));
            shown << m.captured(1);
        }
        // A picture the guide no longer shows would be installed for nothing.
        for (const QString& png : QDir(resources.filePath("guide")).entryList({"*.png"}))
            QVERIFY2(shown.contains("guide/" + png), qPrintable("unused picture " + png));
    }
};

QTEST_GUILESS_MAIN(HelpGuideTest)
#include "help_guide_test.moc"
