#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode;
    QByteArray out, err;
};

Run cli(const QStringList& args) {
    QProcess p;
    p.start(VELO_BIN_DIR "/velo-igx-cli", args);
    p.waitForFinished(20000);
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

}  // namespace

class CliShowTest : public QObject {
    Q_OBJECT
  private slots:
    void jsonHasEveryParameterAndBothTables();
    void mapSensorAsUsed_data();
    void mapSensorAsUsed();
    void badFilesAndUsage_data();
    void badFilesAndUsage();
};

void CliShowTest::jsonHasEveryParameterAndBothTables() {
    QTemporaryDir dir;
    QByteArray image(264, '\0');
    image[32] = 30;    // trigger timing
    image[33] = 13;    // cranking pulses, clamped to 12
    image[34] = 0x1D;  // 4 cylinders, timing on, both table bits
    image[66] = 60;
    image[67] = 120;
    image[0] = 10;    // 2D column 1
    image[96] = 20;   // 3D row 8 column 1
    image[263] = 30;  // 3D row 1 column 21
    const Run r =
        cli({"show", writeFile(dir, "a.dat", image + "extra bytes are ignored"), "--json"});
    QCOMPARE(r.exitCode, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    const QStringList keys = {"TrigTiming",  "CrankPulses",  "OptionsByte",    "Cyl4",
                              "Cyl6",        "TimingEnable", "Table2DEnabled", "Table3DEnabled",
                              "RetardComp",  "StartRetard",  "MAPSensor",      "GPI1Mode",
                              "GPI1Retard",  "GPI2Mode",     "GPI2Retard",     "GPIO3Mode",
                              "GPIO3Retard", "GPIO3MinRPM",  "GPIO3MaxRPM",    "Table2D",
                              "Table3D"};
    for (const QString& k : keys) QVERIFY2(o.contains(k), qPrintable(k));
    QCOMPARE(o.size(), keys.size());
    QCOMPARE(o["TrigTiming"].toInt(), 30);
    QCOMPARE(o["CrankPulses"].toInt(), 12);
    QCOMPARE(o["Cyl4"].toBool(), true);
    QVERIFY(o["Table3DEnabled"].isBool());
    QCOMPARE(o["GPIO3MaxRPM"].toInt(), 6000);
    const QJsonArray t2 = o["Table2D"].toArray();
    QCOMPARE(t2.size(), 21);
    QCOMPARE(t2[0].toDouble(), 30 - 0.0879 * 10);
    const QJsonArray t3 = o["Table3D"].toArray();
    QCOMPARE(t3.size(), 8);
    QCOMPARE(t3[0].toArray().size(), 21);
    QCOMPARE(t3[7].toArray()[0].toDouble(), 30 - 0.0879 * 20);   // MAP index 8
    QCOMPARE(t3[0].toArray()[20].toDouble(), 30 - 0.0879 * 30);  // MAP index 1

    const Run text = cli({"show", dir.filePath("a.dat")});
    QCOMPARE(text.exitCode, 0);
    QVERIFY(text.out.contains("Trigger timing"));
}

void CliShowTest::mapSensorAsUsed_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("line");
    QTest::newRow("0") << 0 << "1 bar\n";
    QTest::newRow("2") << 2 << "3 bar\n";
    QTest::newRow("7") << 7 << "1 bar (stored value 7)\n";
    QTest::newRow("255") << 255 << "1 bar (stored value 255)\n";
}

void CliShowTest::mapSensorAsUsed() {
    QFETCH(int, stored);
    QFETCH(QString, line);
    QTemporaryDir dir;
    QByteArray image(264, '\0');
    image[37] = char(stored);
    const Run r = cli({"show", writeFile(dir, "m.dat", image)});
    QVERIFY2(r.out.contains("MAP sensor            " + line.toUtf8()), r.out.constData());
}

void CliShowTest::badFilesAndUsage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("263 bytes") << QStringList{"show", "short"} << 1
                               << "Open Data File: Error - reached premature end-of-file";
    QTest::newRow("empty file") << QStringList{"show", "empty"} << 1 << "premature end-of-file";
    QTest::newRow("missing file") << QStringList{"show", "missing"} << 2 << "missing";
    QTest::newRow("a folder") << QStringList{"show", "."} << 2 << "Open Data File:";
    QTest::newRow("no file") << QStringList{"show"} << 2 << "Usage";
    QTest::newRow("unknown option") << QStringList{"show", "x", "--xml"} << 2 << "Usage";
    QTest::newRow("unknown command") << QStringList{"burn"} << 2 << "unknown command";
}

void CliShowTest::badFilesAndUsage() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stderrHas);
    QTemporaryDir dir;
    writeFile(dir, "short", QByteArray(263, '\1'));
    writeFile(dir, "empty", {});
    for (QString& a : args)
        if (a == "short" || a == "empty" || a == "missing" || a == ".") a = dir.filePath(a);
    const Run r = cli(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(stderrHas.toUtf8()), r.err.constData());
    QVERIFY(r.out.isEmpty());
}

QTEST_APPLESS_MAIN(CliShowTest)
#include "cli_show_test.moc"
