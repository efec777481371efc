// velo-igx-cli download and upload against igx1-sim.
#include "data/data_file.h"
#include "support/cli_run.h"
#include "support/fake_link.h"
#include "support/files.h"
#include "support/sim_process.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo::test;

class CliTransferTest : public QObject {
    Q_OBJECT

  private slots:
    void downloadWritesTheFile() {
        const QByteArray image = bytesOf(randomImage(51));
        writeFile(dir_.filePath("controller.dat"), image);
        SimProcess sim({"--image", dir_.filePath("controller.dat")});
        const QString out = dir_.filePath("down.dat");
        const CliRun r =
            runCliIn(dir_.path(), {"download", out, "--device", sim.device(), "--trace"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readFile(out), image);
        QVERIFY(r.err.contains("Download From EEPROM: Firmware ID: IGX-1 V2.1\n"));
        QVERIFY(r.err.contains(
            "Download From EEPROM: Downloaded data to buffer. Ready for editing.\n"));
        // The trace: each byte with its time, the resync first.
        QVERIFY(QRegularExpression(R"(\d+\.\d{3} ms > 0x33\n)").match(QString(r.err)).hasMatch());
        QVERIFY(r.err.contains("ms < 0x06\n"));
    }

    void failedDownloadLeavesTheOldFile() {
        const QStringList sim{"--resync-answer", "0"};  // no link
        SimProcess process(sim);
        const QString old = dir_.filePath("old.dat");
        writeFile(old, "an earlier download");
        const CliRun r = runCliIn(dir_.path(), {"download", old, "--device", process.device()});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("Download From EEPROM: Cannot establish RS-232 link. Check "
                                "cable and IGX-1 power."),
                 r.err.constData());
        QCOMPARE(readFile(old), QByteArray("an earlier download"));
        // Nothing half-written beside it either.
        QCOMPARE(QDir(dir_.path()).entryList({"old.dat*"}, QDir::Files), QStringList{"old.dat"});
        const QString fresh = dir_.filePath("fresh.dat");
        SimProcess again(sim);
        QCOMPARE(runCliIn(dir_.path(), {"download", fresh, "--device", again.device()}).exitCode,
                 1);
        QVERIFY(!QFile::exists(fresh));
    }

    void upload_data() {
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<int>("fileSize");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("completed")
            << QStringList{} << 264 << 0 << QStringList{"Upload To EEPROM: Upload completed."};
        QTest::newRow("short file") << QStringList{} << 263 << 1
                                    << QStringList{
                                           "Open Data File: Error - reached premature "
                                           "end-of-file",
                                           "  data.dat holds 263 bytes"};
        QTest::newRow("read-back differs")
            << QStringList{"--read-corrupt", "40"} << 264 << 1
            << QStringList{"Upload To EEPROM: Upload aborted - EEPROM verification failed.",
                           "  First difference at EEPROM address 40: expected 0x"};
    }

    void upload() {
        QFETCH(QStringList, sim);
        QFETCH(int, fileSize);
        QFETCH(int, exitCode);
        QFETCH(QStringList, lines);
        QByteArray data = bytesOf(randomImage(61));
        data.resize(fileSize, 'x');
        writeFile(dir_.filePath("data.dat"), data);
        const QString saved = dir_.filePath("saved.dat");
        QFile::remove(saved);
        SimProcess process(sim + QStringList{"--save", saved, "--verbose"});

        // Run in the folder, so the short-file detail names the file as given.
        const CliRun r =
            runCliIn(dir_.path(), {"upload", "data.dat", "--device", process.device()});
        QCOMPARE(r.exitCode, exitCode);
        for (const QString& line : lines)
            QVERIFY2(r.err.contains(line.toUtf8()), r.err.constData());
        QCOMPARE(process.stop(), 0);
        if (exitCode == 0) QCOMPARE(readFile(saved), data.left(264));
        // A file that cannot be used costs no traffic at all.
        if (fileSize < 264) QVERIFY2(!process.log().contains(" rx "), process.log().constData());
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

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{"download"};
        QTest::newRow("port out of range") << QStringList{"upload", "a.dat", "--port", "256"};
        QTest::newRow("port and device")
            << QStringList{"upload", "a.dat", "--port", "2", "--device", "/dev/null"};
        QTest::newRow("two files") << QStringList{"download", "a.dat", "b.dat"};
        QTest::newRow("missing folder") << QStringList{"download", "/no/such/folder/a.dat"};
        QTest::newRow("missing file")
            << QStringList{"upload", "/no/such/file.dat", "--device", "/dev/null"};
    }

    void usageErrors() {
        QFETCH(QStringList, args);
        const CliRun r = runCliIn(dir_.path(), args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(!r.err.isEmpty());
    }

  private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(CliTransferTest)
#include "cli_transfer_test.moc"
