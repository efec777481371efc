#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include "support/cli_run.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Run = velo::test::CliRun;
const auto cli = velo::test::runCli;

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

}  // namespace

// The decoding itself is the image's test; here what show prints of it.
class CliShowTest : public QObject {
    Q_OBJECT
  private slots:
    void jsonHasEveryParameterAndBothTables() {
        QTemporaryDir dir;
        QByteArray image(264, '\0');
        image[32] = 30;   // trigger timing
        image[0] = 10;    // 2D column 1
        image[96] = 20;   // 3D row 8 column 1
        image[263] = 30;  // 3D row 1 column 21
        const Run r = cli({"show", writeFile(dir, "a.dat", image + "extra is ignored"), "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(o.keys(),
                 (QStringList{"CrankPulses",    "Cyl4",       "Cyl6",           "GPI1Mode",
                              "GPI1Retard",     "GPI2Mode",   "GPI2Retard",     "GPIO3MaxRPM",
                              "GPIO3MinRPM",    "GPIO3Mode",  "GPIO3Retard",    "MAPSensor",
                              "OptionsByte",    "RetardComp", "StartRetard",    "Table2D",
                              "Table2DEnabled", "Table3D",    "Table3DEnabled", "TimingEnable",
                              "TrigTiming"}));
        QVERIFY(o["Table3DEnabled"].isBool());
        QCOMPARE(o["Table2D"].toArray()[0].toDouble(), 30 - 0.0879 * 10);
        const QJsonArray t3 = o["Table3D"].toArray();
        QVERIFY(t3.size() == 8 && t3[0].toArray().size() == 21);
        QCOMPARE(t3[7].toArray()[0].toDouble(), 30 - 0.0879 * 20);   // MAP index 8
        QCOMPARE(t3[0].toArray()[20].toDouble(), 30 - 0.0879 * 30);  // MAP index 1
        QVERIFY(cli({"show", dir.filePath("a.dat")}).out.contains("Trigger timing        30 deg"));
    }

    void mapSensorAsUsed_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("line");
        QTest::newRow("0") << 0 << "1 bar\n";
        QTest::newRow("2") << 2 << "3 bar\n";
        QTest::newRow("7") << 7 << "1 bar (stored value 7)\n";
        QTest::newRow("255") << 255 << "1 bar (stored value 255)\n";
    }
    void mapSensorAsUsed() {
        QFETCH(int, stored);
        QFETCH(QString, line);
        QTemporaryDir dir;
        QByteArray image(264, '\0');
        image[37] = char(stored);
        const Run r = cli({"show", writeFile(dir, "m.dat", image)});
        QVERIFY2(r.out.contains("MAP sensor            " + line.toUtf8()), r.out.constData());
    }

    void badFilesAndUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("263 bytes") << QStringList{"show", "short"} << 1
                                   << "Open Data File: Error - reached premature end-of-file";
        QTest::newRow("missing file") << QStringList{"show", "missing"} << 2 << "missing";
        QTest::newRow("a folder") << QStringList{"show", "."} << 2 << "Open Data File:";
        QTest::newRow("no file") << QStringList{"show"} << 2 << "Usage";
        QTest::newRow("unknown option") << QStringList{"show", "x", "--xml"} << 2 << "Usage";
        QTest::newRow("unknown command") << QStringList{"burn"} << 2 << "unknown command";
    }
    void badFilesAndUsage() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        writeFile(dir, "short", QByteArray(263, '\1'));
        for (QString& a : args)
            if (a == "short" || a == "missing" || a == ".") a = dir.filePath(a);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(stderrHas.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_APPLESS_MAIN(CliShowTest)
#include "cli_show_test.moc"
