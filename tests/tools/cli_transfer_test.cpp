// velo-igx-cli download, upload and ports against igx1-sim.
#include "data/data_file.h"
#include "support/cli_run.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "support/sim_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo::test;

class CliTransferTest : public QObject {
    Q_OBJECT

  private slots:
    // A download writes data.dat, whose size before is fileSize (-1: none); an upload reads
    // it. The lines are patterns stderr must match.
    void transfer_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<int>("fileSize");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        const QStringList noLink{"--resync-answer", "0"};
        const QString noLinkLine =
            "Download From EEPROM: Cannot establish RS-232 link. Check cable and IGX-1 power.";
        // The trace: each byte with its time, the resync first.
        QTest::newRow("download")
            << "download" << QStringList{} << 19 << 0
            << QStringList{"Download From EEPROM: Firmware ID: IGX-1 V2.1\n",
                           "Download From EEPROM: Downloaded data to buffer. Ready for editing.\n",
                           R"(\d+\.\d{3} ms > 0x33\n)", "ms < 0x06\n"};
        QTest::newRow("failed download keeps the old file")
            << "download" << noLink << 19 << 1 << QStringList{noLinkLine};
        QTest::newRow("failed download makes no file")
            << "download" << noLink << -1 << 1 << QStringList{noLinkLine};
        QTest::newRow("upload") << "upload" << QStringList{} << 264 << 0
                                << QStringList{"Upload To EEPROM: Upload completed."};
        QTest::newRow("upload of a short file")
            << "upload" << QStringList{} << 263 << 1
            << QStringList{"Open Data File: Error - reached premature end-of-file",
                           "  data.dat holds 263 bytes"};
        QTest::newRow("upload, read-back differs")
            << "upload" << QStringList{"--read-corrupt", "40"} << 264 << 1
            << QStringList{"Upload To EEPROM: Upload aborted - EEPROM verification failed.",
                           "  First difference at EEPROM address 40: expected 0x"};
    }

    void transfer() {
        QFETCH(QString, command);
        QFETCH(QStringList, sim);
        QFETCH(int, fileSize);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QByteArray controller = bytesOf(randomImage(51));
        QByteArray data = bytesOf(randomImage(61));
        data.resize(std::max(fileSize, 0), 'x');
        if (fileSize >= 0) writeFile(dir.filePath("data.dat"), data);
        const QString saved = dir.filePath("saved.dat");
        SimProcess process(sim + QStringList{"--image",
                                             writeFile(dir.filePath("c.dat"), controller), "--save",
                                             saved, "--verbose"});
        // Run in the folder, so the short-file detail names the file as given.
        const CliRun r =
            runCliIn(dir.path(), {command, "data.dat", "--device", process.device(), "--trace"});
        QCOMPARE(r.exitCode, exitCode);
        for (const QString& line : lines)
            QVERIFY2(QRegularExpression(line).match(QString(r.err)).hasMatch(), r.err.constData());
        QCOMPARE(process.stop(), 0);
        const bool downloaded = command == "download" && exitCode == 0;
        QCOMPARE(readFile(dir.filePath("data.dat")), downloaded ? controller : data);
        // Nothing half-written beside it.
        QCOMPARE(QDir(dir.path()).entryList({"data.dat*"}, QDir::Files),
                 fileSize < 0 && !downloaded ? QStringList{} : QStringList{"data.dat"});
        if (command == "upload" && exitCode == 0) QCOMPARE(readFile(saved), data);
        // A file that cannot be used costs no traffic at all.
        if (command == "upload" && fileSize < 264)
            QVERIFY2(!process.log().contains(" rx "), process.log().constData());
    }

    // Reported as the window reports it; with --device the link still reaches the controller.
    void badStoredPortIsReported() {
        QTemporaryDir home;
        QSettings(home.filePath("Velo_IGX_Main/Velo_IGX_Main.ini"), QSettings::IniFormat)
            .setValue("Properties/CommPort", "abc");
        SimProcess sim;
        const CliRun r =
            runCliIn(home.path(), {"download", home.filePath("d.dat"), "--device", sim.device()});
        QVERIFY2(r.err.startsWith("Error: The stored port setting \"abc\" is not a port number "
                                  "(Type mismatch).\n"),
                 r.err.constData());
        QCOMPARE(r.exitCode, 0);
    }

    // A simulated IGX-1 beside a silent one: the answer, the JSON fields, the exit codes.
    void findsTheControllerAmongSilentPorts() {
        SimProcess igx, silent({"--silent-from", "1"});
        const auto r =
            runCli({"ports", "--device", silent.device(), "--device", igx.device(), "--json"});
        QCOMPARE(r.exitCode, 0);
        QJsonObject found, quiet;
        for (const QJsonValue v : QJsonDocument::fromJson(r.out).array()) {
            if (v["device"] == igx.device()) found = v.toObject();
            if (v["device"] == silent.device()) quiet = v.toObject();
        }
        QCOMPARE(found.keys(), (QStringList{"description", "device", "firmware", "igx",
                                            "manufacturer", "serial"}));
        QVERIFY(found["igx"].toBool() && found["firmware"].toString().contains("IGX-1"));
        QVERIFY(quiet["firmware"].isNull() && !quiet["igx"].toBool());
        QCOMPARE(runCli({"ports", "--device", silent.device()}).exitCode, 1);
        QCOMPARE(runCli({"ports", "--bogus"}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(CliTransferTest)
#include "cli_transfer_test.moc"
