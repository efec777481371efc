#include "table/table_session.h"

#include "core/error_report.h"
#include "core/numeric.h"
#include "support/model_rig.h"
#include "table/grid_commands.h"
#include "table/image_diff.h"
#include "table/limit_notice.h"
#include "table/pressure_units.h"
#include "table/table_csv.h"
#include "table/table_edit.h"
#include "table/table_history.h"

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

// A command of the list on a selection, as the window runs it.
void run(TableSession& t, const char* id, const CellRange& sel, const QString& input = {}) {
    GridCommandRun r{t, sel, input};
    applyGridCommand(*gridCommand(id), r);
}

// An image decoded from "offset=byte" pairs, every other byte 0.
ConfigImage decoded(const QString& bytes) {
    ConfigImage im;
    for (const QString& pair : bytes.split(' ', Qt::SkipEmptyParts)) {
        const QStringList p = pair.split('=');
        im.DataBuffer[p[0].toInt()] = uint8_t(p[1].toInt(nullptr, 0));
    }
    im.UpdateParams();
    return im;
}

// The differences as lines: parameters, then per table its cell count and first cell.
QStringList lines(const ImageDiff& d) {
    QStringList out;
    for (const auto& p : d.parameters) out << p.name + ": " + p.a + " | " + p.b;
    for (const TableKind t : d.tables) {
        QStringList cells;
        for (const auto& c : d.cells)
            if (c.table == t) {
                const auto [a, b] = cellTexts(c.a, c.b);
                cells << QString("%1 %2: %3 | %4")
                             .arg(d.rowText(t, c.row), TableSession::rpmLabel(c.col), a, b);
            }
        out << QString("%1D %2 cells").arg(t == TableKind::Table2D ? 2 : 3).arg(cells.size()) +
                   (cells.isEmpty() ? "" : ", " + cells[0]);
    }
    if (d.otherBytes) out << QString("%1 other").arg(d.otherBytes);
    return out;
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
        // Kept for Tune History as they are, the cells after it included.
        QCOMPARE(uint8_t(tableEditsBytes(r.image, s)[ConfigImage::offset3D(2, 8) - 16]), 228);
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
        const auto s = open(is3D, trigTiming);
        const auto refusal = s->validateEdit(text);
        QCOMPARE(!refusal, accepted);
        if (!refusal) return;
        QCOMPARE(*refusal, is3D ? QString("Timing must be numeric value between %1 and %2 degrees.")
                                      .arg(trigTiming - 22)
                                      .arg(trigTiming)
                                : QString("Timing must be numeric value greater than zero and "
                                          "within 22 degrees of trigger timing."));
    }

    void anAcceptedEditKeepsItsText() {
        auto s = open(false);
        QSignalSpy texts(s.get(), &TableSession::textChanged);
        s->acceptEdit(1, 7, " 12 ");
        QVERIFY(s->cellEdited(1, 7) && !s->cellEdited(1, 6) && s->hasEdits());
        QCOMPARE(texts.size(), 1);
        s->copyChartToGrid();
        QCOMPARE(s->text(1, 7), QString("12.0"));
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
        QCOMPARE(open(false, trigTiming)->dragValue(start, 200, y), expected2D);
        QCOMPARE(open(true, trigTiming)->dragValue(start, 200, y), expected3D);
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

    // An image whose cells lie off the 0.1 grid, as every downloaded table does.
    void oneChangedCellMovesNoOther() {
        ConfigImage image;
        image.TrigTiming = 38;
        for (int k = 1; k <= 21; ++k)
            for (int m = 1; m <= 8; ++m) image.Table3D(k, m) = 38 - 0.0879 * (k * 7 + m);
        TableSession t(TableKind::Table3D, image);
        t.acceptEdit(2, 2, "20.25");  // typed: the grid shows "20.25", the file "20.3"
        // The first line names the unit of the labels.
        const QString csv = tableToCsv(t, 0, PressureUnit::KPa);
        QVERIFY(csv.startsWith("MAP (kPa)/RPM,0,500,"));
        QVERIFY(csv.contains("\n54,"));
        const TableSession::Cells before = t.cells();
        QVERIFY(!importCsv(t, csv, 0, PressureUnit::InHg));
        QVERIFY(t.cells() == before);
        // Nor does a spreadsheet's "26" for "26.0".
        const QString whole = QString(csv).replace(QRegularExpression("\\.0(?=[,\n])"), "");
        QVERIFY(!importCsv(t, whole, 0, PressureUnit::InHg));
        QVERIFY(t.cells() == before);
        QStringList lines = csv.split('\n');
        lines[1] = lines[1].section(',', 0, 20) + ",30.05";
        QVERIFY(!importCsv(t, lines.join('\n'), 0, PressureUnit::InHg));
        for (int r = 1; r <= 8; ++r)
            for (int c = 1; c <= 21; ++c)
                if (r != 1 || c != 21) QCOMPARE(t.value(r, c), before.values[(r - 1) * 21 + c - 1]);
        QCOMPARE(t.text(1, 21), QString("30.05"));
        t.undo();  // the import is one step
        QVERIFY(t.cells() == before);
    }

    void unitLabels_data() {
        QTest::addColumn<int>("sensor");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("label");
        QTest::newRow("1 bar, lowest, inHg") << 0 << 1 << QString("INHG") << "16";
        QTest::newRow("2 bar, highest, psi") << 1 << 8 << QString("psi") << "29.5";
        QTest::newRow("3 bar, highest, bar") << 2 << 8 << QString("Bar") << "3.05";
    }
    void unitLabels() {
        QFETCH(int, sensor);
        QFETCH(int, row);
        QFETCH(QString, unit);
        QFETCH(QString, label);
        const auto u = parsePressureUnit(unit);
        QVERIFY(u);
        QCOMPARE(mapLabelIn(row, sensor, *u), label);
        QVERIFY(!parsePressureUnit("mmHg"));
    }

    void differences_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* name, const QString& a, const QString& b,
                      const QStringList& expected) { QTest::newRow(name) << a << b << expected; };
        const QString t2 = "48=30 50=0x08 ", t3 = "48=30 50=0x10 ";
        row("equal", t3 + "130=9", t3 + "130=9", {"3D 0 cells"});
        row("a retard", "65=23", "65=46", {"GPI1 Retard: 2 deg (23 counts) | 4 deg (46 counts)"});
        row("a trigger timing moves every cell", t2, "48=31 50=0x08",
            {"Trig Timing: 30 deg | 31 deg", "2D 21 cells, ADV 0: 30.0 | 31.0"});
        // A's 20 inHg row meets B's advance a third of the way from its 18 to its 24 row.
        row("sensors differ: compared by pressure, between B's rows", t3, t3 + "53=1 133=12",
            {"MAP Sensor: 1 bar | 2 bar", "3D 5 cells, 20* 0: 30.0 | 29.6"});
        row("tables in use differ: both compared", t2 + "16=11", t3 + "112=11",
            {"Timing Table: 2D Timing Table | 3D Timing Table", "2D 1 cells, ADV 0: 29.0 | 30.0",
             "3D 1 cells, 16 0: 30.0 | 29.0"});
        row("same at one decimal", t2 + "48=30", "48=31 50=0x08 16=11",
            {"Trig Timing: 30 deg | 31 deg", "2D 21 cells, ADV 0: 30.00 | 30.03"});
        row("what the dialogs hide shows as stored, the tops of the ranges as they are",
            "48=55 53=7 64=0x52 80=7", "48=40 53=2 64=2",
            {"MAP Sensor: 1 bar (stored value 7) | 3 bar",
             "Trig Timing: 40 deg (stored value 55) | 40 deg",
             "General Purpose Input 1: Digital Retard (mode byte 0x52) | Digital Retard",
             "General Purpose Input/Output 3: Off (mode byte 0x07) | Off"});
        row("unused byte, high option bits, table not in use", "40=1 50=0x20 120=3", "",
            {"3 other"});
    }
    void differences() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QStringList, expected);
        const ImageDiff d = compareImages(decoded(a), decoded(b));
        QCOMPARE(lines(d), expected);
        QCOMPARE(d.equal(), a == b);
    }

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
        row("big step down", 30, gridCommand("StepDownLarge")->entry, "10.0\t18.0\t26.0");
        row("small step up", 30, gridCommand("StepUp")->entry, "12.5\t20.5\t28.5");
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
            asOneStep(*t, [&] { run(*t, "Modify", {row, 4, row, 6}, entry); });
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
        asOneStep(*t, [&] { run(*t, smooth ? "Smooth" : "Interpolate", sel); });
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
        // Pasted text is kept as is; only what lies past either limit is counted.
        QTest::newRow("paste at both limits and past one")
            << QString("paste 8\t30\t31") << "Paste left 1 cell outside 8.0° to 30.0°";
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
        } else if (w[0] == "paste") {
            pasteSelection(*t, {2, 1, 2, 3}, {}, w[1]);
            QCOMPARE(outsideNotice("Paste", *t, {2, 1, 2, 3}), notice);
            return;
        } else {
            run(*t, "Modify", {2, 1, 2, 3}, command);
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

QTEST_GUILESS_MAIN(TableSessionTest)
#include "table_session_test.moc"
