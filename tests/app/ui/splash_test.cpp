#include "app/ui/splash.h"
#include "core/scripted_interaction.h"
#include "support/files.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

class SplashTest : public QObject {
    Q_OBJECT
  private slots:
    // config: the file's text, empty for the shipped file; then what it should give, and
    // the error reports (answered Ignore) with a word each must contain.
    void readsTheConfiguration_data() {
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("shows");  // company, points, bold, italic, logo
        QTest::addColumn<QStringList>("reports");
        auto row = [](const char* name, const char* config, const char* shows,
                      const QStringList& reports = {}) {
            QTest::newRow(name) << QString(config) << QString(shows) << reports;
        };
        row("nine-line file",
            "!c\nAlpha\nTimes New Roman\n20\nItalic\nNULL\n!\nAlpha Works\nMain Street\n",
            "Alpha 20 0 1 0");
        row("shipped file", "", "Orvane 28 1 1 1");
        // Style words in any case and order, a size with a unit or a fraction.
        row("BOLD, nUlL", "A\nArial\n20pt\nBOLD\nnUlL\n!\nA\n", "A 20 1 0 0");
        row("Italic Bold", "A\nArial\n14.6\nItalic Bold\nNULL\n!\nA\n", "A 14 1 1 0");
        row("neither word", "A\nArial\n12\nregular\nNULL\n!\nA\n", "A 12 0 0 0");
        row("missing logo file", "A\nArial\n12\nbold\nnone.gif\n!\nA\n", "A 12 1 0 0",
            {"none.gif"});
        row("font size not a number", "A\nArial\nbig\nbold\nNULL\n!\nA\n", "A 9 0 0 0", {"big"});
        row("three splash lines", "A\nArial\n12\n!\nA\n", "A 9 0 0 0",
            {"splash line 4", "splash line 5"});
    }
    void readsTheConfiguration() {
        QFETCH(QString, config);
        QFETCH(QString, shows);
        QFETCH(QStringList, reports);
        QTemporaryDir dir;
        QString folder = VELO_SOURCE_DIR "/resources";
        if (!config.isEmpty()) {
            folder = dir.path();
            test::writeFile(dir.filePath("Velo_IGX.cfg"), config.toLatin1());
        }
        ScriptedInteraction ui;
        ui.answer(Answer::Ignore);
        ui.answer(Answer::Ignore);
        SplashForm splash(ui, folder);
        QCOMPARE(ui.shown().size(), reports.size());
        for (int i = 0; i < reports.size(); ++i)
            QVERIFY2(ui.shown()[i].title == "Error" && ui.shown()[i].text.contains(reports[i]),
                     qPrintable(ui.shown()[i].text));
        const QFont f = splash.companyLine()->font();
        QCOMPARE(QString("%1 %2 %3 %4 %5")
                     .arg(splash.companyLine()->text())
                     .arg(f.pointSize())
                     .arg(f.bold())
                     .arg(f.italic())
                     .arg(!splash.logo()->isHidden()),
                 shows);
        QCOMPARE(QCoreApplication::applicationName(), QString("Velo_IGX_Splash"));
    }

    void closesItself() {
        ScriptedInteraction ui;
        SplashForm splash(ui, QString(VELO_SOURCE_DIR "/resources"));
        splash.show();
        QVERIFY(QTest::qWaitFor([&] { return !splash.isVisible(); }, 8000));
    }
};

QTEST_MAIN(SplashTest)
#include "splash_test.moc"
