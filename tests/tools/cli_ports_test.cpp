#include "support/cli_run.h"
#include "support/sim_process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class CliPortsTest : public QObject {
    Q_OBJECT
  private slots:
    // A simulated IGX-1 beside a silent one: the answer, the JSON fields, the exit codes.
    void findsTheControllerAmongSilentPorts() {
        velo::test::SimProcess igx, silent({"--silent-from", "1"});
        const auto r = velo::test::runCli(
            {"ports", "--device", silent.device(), "--device", igx.device(), "--json"});
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
        QCOMPARE(velo::test::runCli({"ports", "--device", silent.device()}).exitCode, 1);
        QCOMPARE(velo::test::runCli({"ports", "--bogus"}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(CliPortsTest)
#include "cli_ports_test.moc"
