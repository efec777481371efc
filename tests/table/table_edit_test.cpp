#include "table/table_edit.h"

#include "core/numeric.h"
#include "data/config_image.h"
#include "table/table_session.h"

#include <QtTest>
#include <list>

using namespace velo;
using Range = CellRange;
Q_DECLARE_METATYPE(velo::CellRange)

namespace {
// Opened at 30, then the trigger timing set: the commands go by that of the moment.
std::unique_ptr<TableSession> open(bool is3D, int trigTiming = 30) {
    static std::list<ConfigImage> images;  // read by the tables as long as they live
    ConfigImage& image = images.emplace_back();
    auto table =
        std::make_unique<TableSession>(is3D ? TableKind::Table3D : TableKind::Table2D, image);
    image.TrigTiming = int16_t(trigTiming);
    return table;
}
// A command is one undo step when it changed anything; undo and redo give back every
// value and text exactly.
void asOneStep(TableSession& t, const std::function<void()>& command) {
    const TableSession::Cells before = t.cells();
    const int steps = t.undoStack()->count();
    command();
    const TableSession::Cells after = t.cells();
    QCOMPARE(t.undoStack()->count() - steps, after == before ? 0 : 1);
    if (after == before) return;
    t.undo();
    QVERIFY(t.cells() == before);
    t.redo();
    QVERIFY(t.cells() == after);
}
}  // namespace

class TableEditTest : public QObject {
    Q_OBJECT
  private slots:
    void modify_data() {
        QTest::addColumn<int>("trigTiming");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, int trig, const QString& entry, const char* expected) {
            QTest::newRow(name) << trig << entry << QString(expected);
        };
        row("set", 30, " 30 ", "30.0\t30.0\t30.0");
        row("subtract, lower limit", 30, "-5", "8.0\t15.0\t23.0");
        row("add, upper limit", 30, "+10", "22.0\t30.0\t30.0");
        row("percent", 30, "80%", "9.6\t16.0\t22.4");
        row("percent up", 30, "+15%", "13.8\t23.0\t30.0");
        row("a lone %", 30, "%", "8.0\t8.0\t8.0");
        row("+% keeps", 30, "+%", "12.0\t20.0\t28.0");
        row("5- adds", 30, "5-", "17.0\t25.0\t30.0");
        row("empty or cancelled", 30, "", "8.0\t8.0\t8.0");
        row("no zero floor", 10, "-40", "-12.0\t-12.0\t-12.0");
        row("big step down", 30, stepEntry(false, true), "10.0\t18.0\t26.0");
        row("small step up", 30, stepEntry(true, false), "12.5\t20.5\t28.5");
    }
    // Both grids; the old value is the cell's text, not its working value.
    void modify() {
        QFETCH(int, trigTiming);
        QFETCH(QString, entry);
        QFETCH(QString, expected);
        for (int row : {1, 3}) {
            auto t = open(row == 3, trigTiming);
            pasteSelection(*t, {row, 4, row, 6}, {}, "12\t20\t28");
            for (int c = 4; c <= 6; ++c) t->setValue(row, c, 99);
            asOneStep(*t, [&] { modifySelection(*t, {row, 4, row, 6}, entry); });
            QCOMPARE(clipText(*t, {row, 4, row, 7}), expected + "\t0.0");
            QCOMPARE(t->value(row, 6), leadingNumber(t->text(row, 6)));
        }
    }

    void paste_data() {
        QTest::addColumn<Range>("copied");  // top 0: nothing copied
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<Range>("selection");
        QTest::addColumn<Range>("written");
        QTest::addColumn<QString>("texts");
        auto row = [](const char* name, Range copied, const char* clip, Range sel, Range written,
                      const char* texts) {
            QTest::newRow(name) << copied << QString(clip) << sel << written << QString(texts);
        };
        const char* block = "1\t2\t3\r4\t5\tx";
        row("2D spans, cut at the edge", {1, 3, 1, 7}, "1\t2\t3\t4\t5", {1, 19, 1, 19},
            {1, 19, 1, 21}, "1\t2\t3");
        row("3D spans", {1, 1, 2, 3}, block, {4, 5, 4, 5}, {4, 5, 5, 7}, block);
        row("3D cut at both edges", {1, 1, 2, 3}, block, {8, 20, 8, 20}, {8, 20, 8, 21}, "1\t2");
        row("one cell onto a block", {2, 2, 2, 2}, "7", {2, 2, 3, 3}, {2, 2, 3, 3},
            "7\t0.0\r0.0\t0.0");
        row("CR LF and LF rows", {0, 0, 0, 0}, "1\t2\r\n3\t 4a\n", {2, 2, 3, 3}, {2, 2, 3, 3},
            "1\t2\r3\t 4a");
    }
    // Pasted text kept as is, values its leading number, nothing outside the block written.
    void paste() {
        QFETCH(Range, copied);
        QFETCH(QString, clipboard);
        QFETCH(Range, selection);
        QFETCH(Range, written);
        QFETCH(QString, texts);
        auto t = open(written.top > 1 || copied.bottom > 1);
        CopyStore store;
        if (copied.top > 0) copySelection(*t, copied, store);
        const TableSession::Cells before = t->cells();
        asOneStep(*t, [&] { QCOMPARE(pasteSelection(*t, selection, store, clipboard), written); });
        QCOMPARE(clipText(*t, written), texts);
        written.forEach([&](int r, int c) { t->setValue(r, c, 0), t->setText(r, c, "0.0"); });
        QVERIFY(t->cells() == before);
    }

    void interpolateAndSmooth_data() {
        QTest::addColumn<int>("trigTiming");
        QTest::addColumn<bool>("smooth");
        QTest::addColumn<Range>("sel");  // row 1 only: the 2D table
        QTest::addColumn<QString>("values");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, int trig, bool smooth, Range sel, const char* values,
                      const char* expected) {
            QTest::newRow(name) << trig << smooth << sel << QString(values) << QString(expected);
        };
        row("along a row", 30, false, {1, 2, 1, 6}, "10\t0\t0\t0\t20", "10\t12.5\t15.0\t17.5\t20");
        row("2D kept at 0", 10, false, {1, 1, 1, 3}, "-12\t0\t10", "-12\t0.0\t10");
        row("3D below 0", 10, false, {2, 1, 2, 3}, "-12\t0\t0", "-12\t-6.0\t0");
        row("down a column", 30, false, {2, 5, 4, 5}, "10\r0\r16", "10\r13.0\r16");
        row("bilinear", 30, false, {2, 1, 4, 3}, "10\t0\t20\r0\t0\t0\r20\t0\t30",
            "10\t15.0\t20\r15.0\t20.0\t25.0\r20\t25.0\t30");
        row("nothing inside", 30, false, {1, 1, 1, 2}, "3\t5", "3\t5");
        row("opposite huge corners", 30, false, {2, 1, 3, 3}, "1e400\t0\t-1e400\r-1e400\t0\t1e400",
            "1e400\t8.0\t-1e400\r-1e400\t8.0\t1e400");
        row("smooth a cut cross", 30, true, {2, 1, 4, 3}, "10\t10\t10\r10\t20\t10\r10\t10\t10",
            "10.0\t12.5\t10.0\r12.5\t12.0\t12.5\r10.0\t12.5\t10.0");
        row("smooth to the floor", 30, true, {1, 1, 1, 2}, "0\t0", "8.0\t8.0");
    }
    void interpolateAndSmooth() {
        QFETCH(int, trigTiming);
        QFETCH(bool, smooth);
        QFETCH(Range, sel);
        QFETCH(QString, values);
        QFETCH(QString, expected);
        auto t = open(sel.bottom > 1, trigTiming);
        pasteSelection(*t, sel, {}, values);
        asOneStep(*t, [&] { smooth ? smoothSelection(*t, sel) : interpolateSelection(*t, sel); });
        QCOMPARE(clipText(*t, sel), expected);
    }

    // The status bar's word names each limit once with its cells; a drag that comes back
    // inside the window limited nothing.
    void limitNotices_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("notice");
        QTest::newRow("modify, both limits") << QString("-25")
                                             << "Modify limited 1 cell to the trigger timing 30.0° "
                                                "and 2 cells to the lower limit 8.0°";
        QTest::newRow("modify within") << QString("20") << QString();
        QTest::newRow("drag back inside") << QString("drag 40 20") << QString();
        QTest::newRow("drag past")
            << QString("drag 20 40") << "Drag limited 1 cell to the trigger timing 30.0°";
    }
    void limitNotices() {
        QFETCH(QString, command);
        QFETCH(QString, notice);
        auto t = open(true);
        pasteSelection(*t, {2, 1, 2, 3}, {}, "12\t20\t70");
        QSignalSpy told(t.get(), &TableSession::limitNotice);
        const QStringList w = command.split(' ');
        if (w[0] == "drag") {
            t->beginAction("Drag");
            for (const QString& to : w.mid(1)) t->dragCell(2, 2, 20, 0, 200 - 10 * to.toInt());
            t->endAction();
        } else {
            modifySelection(*t, {2, 1, 2, 3}, command);
        }
        QCOMPARE(told.isEmpty() ? QString() : told[0][0].toString(), notice);
    }

    // A gesture over several events is one step, none when it ends where it began; undo
    // gives a typed text back as typed; reopening the table clears the history.
    void gesturesAndReload() {
        auto t = open(true);
        auto drag = [&](double to) {
            t->beginAction("Drag");
            t->setValue(2, 3, 20);
            t->setValue(2, 3, to);
            t->endAction();
        };
        t->acceptEdit(1, 1, " 12 ");
        asOneStep(*t, [&] { editCell(*t, 1, 1, "9"); });
        asOneStep(*t, [&] { drag(21); });
        asOneStep(*t, [&] { drag(21); });
        t->undo();
        t->undo();
        QCOMPARE(t->text(1, 1), QString(" 12 "));
        t->reload(ConfigImage());
        QVERIFY(!t->undoStack()->canRedo() && !t->undoStack()->canUndo());
    }
};

QTEST_GUILESS_MAIN(TableEditTest)
#include "table_edit_test.moc"
