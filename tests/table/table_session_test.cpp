#include "table/table_session.h"

#include "core/error_report.h"
#include "support/model_rig.h"

#include <QtTest>
#include <list>

using namespace velo;

namespace {
// The tables read their image as long as they live.
TableSession open(TableKind kind, int trigTiming) {
    static std::list<ConfigImage> images;
    images.emplace_back().TrigTiming = int16_t(trigTiming);
    return TableSession(kind, images.back());
}
}  // namespace

class TableSessionTest : public QObject {
    Q_OBJECT
  private slots:
    void saveEncodesRelativeToTrigTiming_data() {
        QTest::addColumn<double>("advance");
        QTest::addColumn<int>("count");
        QTest::newRow("250.28") << 8.0 << 250;
        QTest::newRow("255.97 limited") << 7.5 << 255;
        QTest::newRow("-11.38 limited") << 31.0 << 0;
        QTest::newRow("227.53") << 10.0 << 228;
    }
    // Both tables, at the cell's own offset; the 2D limit line is the trigger timing of the
    // moment.
    void saveEncodesRelativeToTrigTiming() {
        QFETCH(double, advance);
        QFETCH(int, count);
        for (auto kind : {TableKind::Table2D, TableKind::Table3D}) {
            test::ModelRig r;
            r.image.TrigTiming = 20;  // until after the opening: the trigger line is 30 too
            TableSession s(kind, r.image);
            r.image.TrigTiming = 30;
            const int row = kind == TableKind::Table2D ? 1 : 3;
            s.acceptEdit(row, 5, QString::number(advance));
            Trap trap(r.ui);
            QVERIFY(s.save(r.image, trap));
            const int offset = kind == TableKind::Table2D ? 16 + 4 : 158;  // 3D cell (3, 5)
            QCOMPARE(int(r.image.DataBuffer[offset]), count);
            QCOMPARE(kind == TableKind::Table2D ? r.image.Table2D(5, 1) : r.image.Table3D(5, 6),
                     advance);
            QCOMPARE(r.image.Table2D(4, 2), kind == TableKind::Table2D ? 30.0 : 0.0);
            QVERIFY(r.image.BufferEmpty);
        }
    }

    void anOverflowGoesToTheErrorReport() {
        test::ModelRig r;
        TableSession s(TableKind::Table3D, r.image);
        s.setValue(1, 1, -3000);  // 34471 counts: beyond 16 bits
        s.setValue(1, 2, 10);
        r.ui.answer(Answer::Ignore);
        Trap trap(r.ui);
        QVERIFY(s.save(r.image, trap));
        QCOMPARE(r.ui.texts(), QStringList{"Overflow"});
        QCOMPARE(int(r.image.DataBuffer[ConfigImage::offset3D(2, 8)]), 228);
        s.setValue(8, 21, 12);
        r.ui.answer(Answer::Abort);
        QVERIFY(!s.save(r.image, trap));
        QCOMPARE(r.image.Table3D(21, 1), 12.0);  // the whole chart is in the array first
    }

    void validateEdit_data() {
        QTest::addColumn<bool>("is3D");
        QTest::addColumn<int>("trigTiming");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        for (bool is3D : {false, true}) {
            const char* t = is3D ? "3D " : "2D ";
            QTest::addRow("%slower bound", t) << is3D << 30 << "8" << true;
            QTest::addRow("%supper bound", t) << is3D << 30 << "30" << true;
            QTest::addRow("%sbelow", t) << is3D << 30 << "7.9" << false;
            QTest::addRow("%sabove", t) << is3D << 30 << "30.1" << false;
            QTest::addRow("%strailing letter", t) << is3D << 30 << "12x" << false;
            QTest::addRow("%sblanks around", t) << is3D << 30 << " 12 " << true;
            QTest::addRow("%szero, low trigger", t) << is3D << 10 << "0" << true;
            QTest::addRow("%sempty, low trigger", t) << is3D << 10 << "" << false;
            QTest::addRow("%s-1, low trigger", t) << is3D << 10 << "-1" << is3D;
            QTest::addRow("%s-12, low trigger", t) << is3D << 10 << "-12" << is3D;
            QTest::addRow("%s-12.5, low trigger", t) << is3D << 10 << "-12.5" << false;
        }
    }
    void validateEdit() {
        QFETCH(bool, is3D);
        QFETCH(int, trigTiming);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        const auto s = open(is3D ? TableKind::Table3D : TableKind::Table2D, trigTiming);
        const auto refusal = s.validateEdit(text);
        QCOMPARE(!refusal, accepted);
        if (!refusal) return;
        QCOMPARE(*refusal, is3D ? QString("Timing must be numeric value between %1 and %2 degrees.")
                                      .arg(trigTiming - 22)
                                      .arg(trigTiming)
                                : QString("Timing must be numeric value greater than zero and "
                                          "within 22 degrees of trigger timing."));
    }

    void anAcceptedEditKeepsItsText() {
        auto s = open(TableKind::Table2D, 30);
        QSignalSpy texts(&s, &TableSession::textChanged);
        s.acceptEdit(1, 7, " 12 ");
        QVERIFY(s.cellEdited(1, 7) && !s.cellEdited(1, 6) && s.hasEdits());
        QCOMPARE(texts.size(), 1);
        s.copyChartToGrid();
        QCOMPARE(s.text(1, 7), QString("12.0"));
    }

    void dragValue_data() {
        QTest::addColumn<int>("trigTiming");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("y");
        QTest::addColumn<double>("expected2D");
        QTest::addColumn<double>("expected3D");
        QTest::newRow("50.5 to even") << 30 << 10.0 << 199 << 10.0 << 10.0;
        QTest::newRow("51.5 to even") << 30 << 10.0 << 197 << 10.4 << 10.4;
        QTest::newRow("snaps to the grid") << 30 << 8.79 << 200 << 8.8 << 8.8;
        QTest::newRow("lower limit first") << 10 << 0.0 << 350 << -12.0 << -12.0;
        QTest::newRow("then zero") << 10 << 0.0 << 250 << 0.0 << -5.0;
        QTest::newRow("then trigger") << 10 << 0.0 << 80 << 10.0 << 10.0;
    }
    void dragValue() {
        QFETCH(int, trigTiming);
        QFETCH(double, start);
        QFETCH(int, y);
        QFETCH(double, expected2D);
        QFETCH(double, expected3D);
        QCOMPARE(open(TableKind::Table2D, trigTiming).dragValue(start, 200, y), expected2D);
        QCOMPARE(open(TableKind::Table3D, trigTiming).dragValue(start, 200, y), expected3D);
    }

    // Written inside an action (an offset release), the table array goes with its undo step.
    void theTableArrayFollowsUndo() {
        ConfigImage image;
        image.TrigTiming = 30;
        TableSession t(TableKind::Table3D, image);
        t.runAction("Offset Table", [&] {
            t.setValue(1, 1, 5);
            t.copyToTableArray(image);
        });
        QCOMPARE(image.Table3D(1, 8), 5.0);
        t.undo();
        QCOMPARE(image.Table3D(1, 8), 0.0);
        t.redo();
        QCOMPARE(image.Table3D(1, 8), 5.0);
    }
};

QTEST_GUILESS_MAIN(TableSessionTest)
#include "table_session_test.moc"
