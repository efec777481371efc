#include "app/ui/splash.h"
#include "app/scripted_interaction.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

class SplashTest : public QObject {
    Q_OBJECT
  private slots:
    void showsTheConfiguredCompanyLine_data();
    void showsTheConfiguredCompanyLine();
    void unusableEntriesAreReported_data();
    void unusableEntriesAreReported();
    void closesItselfAfterFourSeconds();
};

void SplashTest::showsTheConfiguredCompanyLine_data() {
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("company");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("logo");
    QTest::newRow("nine-line file")
        << "!c\nAlpha\nTimes New Roman\n20\nItalic\nNULL\n!\nAlpha Works\nMain Street\n"
        << "Alpha" << 20 << false << true << false;
    QTest::newRow("shipped file") << ""
                                  << "Orvane" << 28 << true << true << true;
}

void SplashTest::showsTheConfiguredCompanyLine() {
    QFETCH(QString, config);
    QFETCH(QString, company);
    QFETCH(int, points);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, logo);
    QTemporaryDir dir;
    QString folder = VELO_SOURCE_DIR "/resources";
    if (!config.isEmpty()) {
        folder = dir.path();
        QFile f(dir.filePath("Velo_IGX.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(config.toLatin1());
    }
    ScriptedInteraction ui;
    SplashForm splash(ui, folder);
    QVERIFY(ui.shown().isEmpty());
    QCOMPARE(splash.companyLine()->text(), company);
    QCOMPARE(splash.companyLine()->font().pointSize(), points);
    QCOMPARE(splash.companyLine()->font().bold(), bold);
    QCOMPARE(splash.companyLine()->font().italic(), italic);
    QCOMPARE(!splash.logo()->isHidden(), logo);
    QCOMPARE(QCoreApplication::applicationName(), QString("Velo_IGX_Splash"));
}

void SplashTest::unusableEntriesAreReported_data() {
    QTest::addColumn<QString>("config");
    QTest::addColumn<QStringList>("mentions");
    QTest::newRow("missing logo file") << "A\nArial\n12\nbold\nnone.gif\n!\nA\n"
                                       << QStringList{"none.gif"};
    QTest::newRow("font size not a number") << "A\nArial\nbig\nbold\nNULL\n!\nA\n"
                                            << QStringList{"big"};
    QTest::newRow("three splash lines") << "A\nArial\n12\n!\nA\n"
                                        << QStringList{"splash line 4", "splash line 5"};
}

void SplashTest::unusableEntriesAreReported() {
    QFETCH(QString, config);
    QFETCH(QStringList, mentions);
    QTemporaryDir dir;
    QFile f(dir.filePath("Velo_IGX.cfg"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(config.toLatin1());
    f.close();
    ScriptedInteraction ui;
    ui.answer(Answer::Ignore);
    ui.answer(Answer::Ignore);
    SplashForm splash(ui, dir.path());
    QCOMPARE(ui.shown().size(), mentions.size());
    for (int i = 0; i < mentions.size(); ++i)
        QVERIFY2(ui.shown()[i].title == "Error" && ui.shown()[i].text.contains(mentions[i]),
                 qPrintable(ui.shown()[i].text));
    QCOMPARE(splash.companyLine()->text(), QString("A"));
}

void SplashTest::closesItselfAfterFourSeconds() {
    ScriptedInteraction ui;
    SplashForm splash(ui, VELO_SOURCE_DIR "/resources");
    QElapsedTimer clock;
    clock.start();
    splash.show();
    QVERIFY(QTest::qWaitFor([&] { return !splash.isVisible(); }, 8000));
    QVERIFY(clock.elapsed() >= SplashForm::kShowMillis - 50);
}

QTEST_MAIN(SplashTest)
#include "splash_test.moc"
