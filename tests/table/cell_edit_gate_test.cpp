#include "table/cell_edit_gate.h"

#include <QtTest>

using namespace velo;

class CellEditGateTest : public QObject {
    Q_OBJECT
  private slots:
    // Events: "A+" a commit of text A that the check accepts, "A-" one it refuses, a
    // trailing "m" a commit arriving while the check's message is up, "x" a close request,
    // "s" the refusal's moment is over. Outcomes: c checked, d dropped, x closed, k kept.
    void onlyTheUsersCommitsAndClosesCount_data() {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("outcomes");
        QTest::newRow("refused keeps the editor once") << QString("A- x x") << "c k x";
        QTest::newRow("a click's second commit") << QString("A- x A- x") << "c k d k";
        QTest::newRow("the same text after the moment") << QString("A- x s A- x") << "c k c k";
        QTest::newRow("a corrected text") << QString("A- x B+ x") << "c k c x";
        QTest::newRow("accepted while the message took focus") << QString("A+m x x") << "c k x";
    }
    void onlyTheUsersCommitsAndClosesCount() {
        QFETCH(QString, events);
        QFETCH(QString, outcomes);
        CellEditGate gate;
        QObject editor;
        QStringList seen;
        for (const QString& e : events.split(' ')) {
            if (e == "x") {
                seen << (gate.mayClose() ? "x" : "k");
            } else if (e == "s") {
                gate.settle();
            } else if (!gate.admit(&editor, e.left(1))) {
                seen << "d";
            } else {
                seen << "c";
                gate.beginCheck();
                if (e.endsWith('m')) QVERIFY(!gate.admit(&editor, e.left(1)));
                gate.endCheck(e[1] == '+', &editor, e.left(1));
            }
        }
        QCOMPARE(seen.join(' '), outcomes);
    }
};

QTEST_APPLESS_MAIN(CellEditGateTest)
#include "cell_edit_gate_test.moc"
