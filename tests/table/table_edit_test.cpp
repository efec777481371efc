#include "table/table_edit.h"

#include "data/config_image.h"
#include "data/numeric.h"
#include "table/table_session.h"

#include <QtTest>

using namespace velo;

Q_DECLARE_METATYPE(velo::CellRange)

namespace {

std::unique_ptr<TableSession> open(bool is3D, int trigTiming = 30) {
    ConfigImage image;
    image.TrigTiming = int16_t(trigTiming);
    return std::make_unique<TableSession>(is3D ? TableKind::Table3D : TableKind::Table2D, image);
}

// Values of a block written as clip text ("10\t20\r30\t40"), texts "#0.0".
void fill(TableSession& t, const CellRange& at, const QString& values) {
    const QStringList rows = values.split('\r');
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList cells = rows[i].split('\t');
        for (int j = 0; j < cells.size(); ++j) {
            t.setValue(at.top + i, at.left + j, cells[j].toDouble());
            t.setText(at.top + i, at.left + j, formatFixed(cells[j].toDouble(), 1));
        }
    }
}

}  // namespace

class TableEditTest : public QObject {
    Q_OBJECT
  private slots:
    void modify_data();
    void modify();
    void paste_data();
    void paste();
    void interpolateAndSmooth_data();
    void interpolateAndSmooth();
    void undoRedo_data();
    void undoRedo();
};

void TableEditTest::modify_data() {
    QTest::addColumn<int>("trigTiming");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    QTest::newRow("set") << 30 << "30"
                         << "30.0\t30.0\t30.0";
    QTest::newRow("subtract, lower limit") << 30 << "-5"
                                           << "8.0\t15.0\t23.0";
    QTest::newRow("add, upper limit") << 30 << "+10"
                                      << "22.0\t30.0\t30.0";
    QTest::newRow("percent") << 30 << "80%"
                             << "9.6\t16.0\t22.4";
    QTest::newRow("percent down") << 30 << "-7.5%"
                                  << "11.1\t18.5\t25.9";
    QTest::newRow("percent up") << 30 << "+15%"
                                << "13.8\t23.0\t30.0";
    QTest::newRow("blanks around") << 30 << "  +10 "
                                   << "22.0\t30.0\t30.0";
    QTest::newRow("a lone %") << 30 << "%"
                              << "8.0\t8.0\t8.0";
    QTest::newRow("+% keeps") << 30 << "+%"
                              << "12.0\t20.0\t28.0";
    QTest::newRow("-% keeps") << 30 << "-%"
                              << "12.0\t20.0\t28.0";
    QTest::newRow("5- adds") << 30 << "5-"
                             << "17.0\t25.0\t30.0";
    QTest::newRow("letters") << 30 << "abc"
                             << "8.0\t8.0\t8.0";
    QTest::newRow("empty or cancelled") << 30 << ""
                                        << "8.0\t8.0\t8.0";
    QTest::newRow("no zero floor") << 10 << "-40"
                                   << "-12.0\t-12.0\t-12.0";
    QTest::newRow("step up") << 30 << stepEntry(true, false) << "12.5\t20.5\t28.5";
    QTest::newRow("big step down") << 30 << stepEntry(false, true) << "10.0\t18.0\t26.0";
}

// Both grids; the old value is read from the cell's text, not the working value.
void TableEditTest::modify() {
    QFETCH(int, trigTiming);
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    for (bool is3D : {false, true}) {
        auto t = open(is3D, trigTiming);
        const int row = is3D ? 3 : 1;
        const CellRange sel{row, 4, row, 6};
        fill(*t, sel, "99\t99\t99");
        for (int c = 4; c <= 6; ++c) t->setText(row, c, QString::number(12 + (c - 4) * 8));
        modifySelection(*t, sel, entry);
        QCOMPARE(clipText(*t, sel), expected);
        for (int c = 4; c <= 6; ++c) QCOMPARE(t->value(row, c), leadingNumber(t->text(row, c)));
        QCOMPARE(t->text(row, 7), QString("0.0"));
    }
}

void TableEditTest::paste_data() {
    QTest::addColumn<bool>("is3D");
    QTest::addColumn<CellRange>("copied");  // top 0: nothing copied
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<CellRange>("selection");
    QTest::addColumn<CellRange>("written");
    QTest::addColumn<QString>("texts");
    const QString row5 = "1\t2\t3\t4\t5";
    QTest::newRow("2D spans of the copy")
        << false << CellRange{1, 3, 1, 7} << row5 << CellRange{1, 10, 1, 10}
        << CellRange{1, 10, 1, 14} << row5;
    QTest::newRow("2D cut at the edge")
        << false << CellRange{1, 3, 1, 7} << row5 << CellRange{1, 19, 1, 19}
        << CellRange{1, 19, 1, 21} << "1\t2\t3";
    QTest::newRow("3D block") << true << CellRange{1, 1, 2, 3} << "1\t2\t3\r4\t5\tx"
                              << CellRange{4, 5, 4, 5} << CellRange{4, 5, 5, 7}
                              << "1\t2\t3\r4\t5\tx";
    QTest::newRow("3D cut at both edges")
        << true << CellRange{1, 1, 2, 3} << "1\t2\t3\r4\t5\t6" << CellRange{8, 20, 8, 20}
        << CellRange{8, 20, 8, 21} << "1\t2";
    QTest::newRow("one cell onto a block")
        << true << CellRange{2, 2, 2, 2} << "7" << CellRange{2, 2, 3, 3} << CellRange{2, 2, 3, 3}
        << "7\t0.0\r0.0\t0.0";
    QTest::newRow("CR LF rows") << true << CellRange{} << "1\t2\r\n3\t 4a\r\n"
                                << CellRange{2, 2, 3, 3} << CellRange{2, 2, 3, 3} << "1\t2\r3\t 4a";
    QTest::newRow("LF rows") << true << CellRange{0, 0, 0, 0} << "1\t2\n3\t4"
                             << CellRange{2, 2, 3, 3} << CellRange{2, 2, 3, 3} << "1\t2\r3\t4";
}

// The pasted text is kept as is, values take its leading number, nothing outside the
// written block changes.
void TableEditTest::paste() {
    QFETCH(bool, is3D);
    QFETCH(CellRange, copied);
    QFETCH(QString, clipboard);
    QFETCH(CellRange, selection);
    QFETCH(CellRange, written);
    QFETCH(QString, texts);
    auto t = open(is3D);
    CopyStore store;
    if (copied.top > 0) copySelection(*t, copied, store);
    t->setText(1, 1, "5");  // a copy takes the text of that moment, a paste the clipboard's
    const TableSession::Cells before = t->cells();
    QCOMPARE(pasteSelection(*t, selection, store, clipboard), written);
    QCOMPARE(clipText(*t, written), texts);
    for (int r = 1; r <= t->rows(); ++r) {
        for (int c = 1; c <= 21; ++c) {
            const bool inside =
                r >= written.top && r <= written.bottom && c >= written.left && c <= written.right;
            const int i = (r - 1) * 21 + c - 1;
            QCOMPARE(t->value(r, c), inside ? leadingNumber(t->text(r, c)) : before.values[i]);
            if (!inside) QCOMPARE(t->text(r, c), before.texts[i]);
        }
    }
}

void TableEditTest::interpolateAndSmooth_data() {
    QTest::addColumn<bool>("is3D");
    QTest::addColumn<int>("trigTiming");
    QTest::addColumn<bool>("smooth");
    QTest::addColumn<CellRange>("sel");
    QTest::addColumn<QString>("values");
    QTest::addColumn<QString>("expected");
    QTest::newRow("along a row") << false << 30 << false << CellRange{1, 2, 1, 6}
                                 << "10\t0\t0\t0\t20"
                                 << "10.0\t12.5\t15.0\t17.5\t20.0";
    QTest::newRow("2D kept at 0") << false << 10 << false << CellRange{1, 1, 1, 3} << "-12\t0\t10"
                                  << "-12.0\t0.0\t10.0";
    QTest::newRow("down a column") << true << 30 << false << CellRange{2, 5, 4, 5} << "10\r0\r16"
                                   << "10.0\r13.0\r16.0";
    QTest::newRow("bilinear") << true << 30 << false << CellRange{1, 1, 3, 3}
                              << "10\t0\t20\r0\t0\t0\r20\t0\t30"
                              << "10.0\t15.0\t20.0\r15.0\t20.0\t25.0\r20.0\t25.0\t30.0";
    QTest::newRow("3D below 0") << true << 10 << false << CellRange{1, 1, 1, 3} << "-12\t0\t0"
                                << "-12.0\t-6.0\t0.0";
    QTest::newRow("smooth a cross")
        << true << 30 << true << CellRange{1, 1, 3, 3} << "10\t10\t10\r10\t20\t10\r10\t10\t10"
        << "10.0\t12.5\t10.0\r12.5\t12.0\t12.5\r10.0\t12.5\t10.0";
    QTest::newRow("smooth a row") << false << 30 << true << CellRange{1, 1, 1, 3} << "10\t16\t28"
                                  << "13.0\t18.0\t22.0";
    QTest::newRow("smooth to the floor") << true << 30 << true << CellRange{1, 1, 1, 2} << "0\t0"
                                         << "8.0\t8.0";
}

void TableEditTest::interpolateAndSmooth() {
    QFETCH(bool, is3D);
    QFETCH(int, trigTiming);
    QFETCH(bool, smooth);
    QFETCH(CellRange, sel);
    QFETCH(QString, values);
    QFETCH(QString, expected);
    auto t = open(is3D, trigTiming);
    fill(*t, sel, values);
    smooth ? smoothSelection(*t, sel) : interpolateSelection(*t, sel);
    QCOMPARE(clipText(*t, sel), expected);
}

void TableEditTest::undoRedo_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("steps");
    for (const char* a : {"edit", "drag", "modify", "step", "paste", "interpolate", "smooth"})
        QTest::newRow(a) << QString(a) << 1;
    QTest::newRow("drag back to its start") << "drag back" << 0;
    QTest::newRow("nothing inside") << "interpolate two" << 0;
}

// One action, one step; undo and redo give back every value and text exactly.
void TableEditTest::undoRedo() {
    QFETCH(QString, action);
    QFETCH(int, steps);
    auto t = open(true);
    fill(*t, {1, 1, 2, 3}, "10.04\t11\t17\r12\t13\t14");
    t->acceptEdit(1, 1, " 12 ");
    const TableSession::Cells before = t->cells();
    const CellRange sel{1, 1, 2, 3};
    CopyStore store;
    if (action == "edit") editCell(*t, 2, 2, "9");
    if (action.startsWith("drag")) {
        t->beginAction("Drag");
        t->setValue(2, 2, 20);
        t->setValue(2, 2, action == "drag" ? 21 : 13);
        t->endAction();
    }
    if (action == "modify") modifySelection(*t, sel, "+1");
    if (action == "step") stepSelection(*t, sel, false, true);
    if (action == "paste") pasteSelection(*t, sel, store, "a\tb\r\n1");
    if (action == "interpolate") interpolateSelection(*t, sel);
    if (action == "interpolate two") interpolateSelection(*t, {1, 1, 1, 2});
    if (action == "smooth") smoothSelection(*t, sel);
    const TableSession::Cells after = t->cells();
    QCOMPARE(t->undoStack()->count(), steps);
    if (!steps) return;
    QVERIFY(after != before);
    t->undo();
    QVERIFY(t->cells() == before);
    QCOMPARE(t->text(1, 1), QString(" 12 "));
    t->redo();
    QVERIFY(t->cells() == after);
    t->reload(ConfigImage());
    QCOMPARE(t->undoStack()->count(), 0);
}

QTEST_GUILESS_MAIN(TableEditTest)
#include "table_edit_test.moc"
