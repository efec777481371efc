#include "table/table_commands.h"

#include "core/numeric.h"
#include "support/dialogs.h"
#include "support/files.h"
#include "support/model_rig.h"
#include "table/csv_commands.h"
#include "table/image_diff.h"
#include "table/new2d_wizard.h"
#include "table/new3d_wizard.h"
#include "table/table_check.h"
#include "table/table_csv.h"
#include "table/ui/compare_dialog.h"
#include "table/ui/new_table_wizards.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;
using test::child;

namespace {

enum Mode { Disabled, Use2D, Use3D };
using Open = MainState::OpenTable;
using Box = New2DTableForm::Box;

struct Rig : test::ModelRig, NoTableWindow {
    TableEditor editor{ctx};
    bool templateFound = true, template3DFound = true;
    QStringList templates3D;  // the 3D templates loaded
    int clipboardClears = 0, resizes = 0;
    QString wizard;  // the wizard shown last
    Rig(Mode mode = Use2D, bool bufferEmpty = false, int trigTiming = 30) {
        image.BufferEmpty = bufferEmpty;
        image.Table2DEnabled = mode == Use2D;
        image.Table3DEnabled = mode == Use3D;
        image.MAPSensor = 2;
        image.TrigTiming = int16_t(trigTiming);
        state.setTitle("Maker " + state.BaseTitle + " - demo.dat");
        editor.files = AppFiles("/velo");
        editor.window = this;
    }
    bool loadTemplate2D(const QString& path) override {
        return templateFound && path.endsWith("/IGX_2D_Timing_Chart.oc2");
    }
    bool loadTemplate3D(const QString& path) override {
        templates3D << path;
        return template3DFound;
    }
    void clearClipboard() override { ++clipboardClears; }
    void formResize() override { ++resizes; }
    void showWizard(TableKind k) override {
        wizard = k == TableKind::Table2D ? "wizard 2D" : "wizard 3D";
    }
    std::function<bool(const ImportPreview&, const QString&)> preview = {};
    bool previewImport(const ImportPreview& p, const QString& file) override {
        return !preview || preview(p, file);
    }
    // Every box as "title: text [buttons, icon]".
    QStringList boxes() const {
        QStringList out;
        for (const auto& s : ui.shown())
            out << QString("%1: %2 [%3, %4]")
                       .arg(s.title, s.text, buttonsName(s.buttons), iconName(s.icon));
        if (!wizard.isEmpty()) out << wizard;
        return out;
    }
    // Every box as "title: text".
    QStringList titled() const {
        QStringList out;
        for (const auto& s : ui.shown()) out << s.title + ": " + s.text;
        return out;
    }
    // Opens the table, types `text` into its first cell and forgets the boxes so far.
    void openAndEdit(const QString& text) {
        mnuEditTimingTable_Click(editor);
        editor.session()->acceptEdit(1, 1, text);
        ui.clear();
    }
};

const QString kEmptyQuestion =
    "Edit Timing Table: Data buffer empty. Create new table? [OK/Cancel, none]";
const QString kCloseQuestion =
    "Close Table: Save table edits to buffer before closing? [Yes/No/Cancel, exclamation]";

QString repeat(const QString& cell, int n) {
    return QStringList(n, cell).join(' ');
}

// The cell texts the view cuts short: wider than their column less the view's margins.
QStringList cutTexts(const QTableWidget& g) {
    const int margins = 2 * (g.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &g) + 1);
    QStringList cut;
    for (int r = 0; r < g.rowCount(); ++r)
        for (int c = 0; c < g.columnCount(); ++c)
            if (const QTableWidgetItem* item = g.item(r, c);
                QFontMetrics(item->font()).horizontalAdvance(item->text()) + margins >
                g.columnWidth(c))
                cut << item->text();
    return cut;
}

// The object names in Tab order from `first`, `count` stops.
QStringList tabOrder(QWidget* first, int count) {
    QStringList out;
    QWidget* w = first;
    for (int i = 0; i < count; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
        out << w->objectName();
    }
    return out;
}

}  // namespace

class TableCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void editOpensTheTableInUse_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("bufferEmpty");
        QTest::addColumn<bool>("templateFound");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("open");
        QTest::addColumn<QStringList>("boxes");
        auto row = [](const char* name, Mode mode, bool empty, bool found, Answer answer, Open open,
                      const QStringList& boxes) {
            QTest::newRow(name) << int(mode) << empty << found << int(answer) << int(open) << boxes;
        };
        row("2D", Use2D, false, true, Answer::Ok, Open::Table2D, {});
        row("3D", Use3D, false, true, Answer::Ok, Open::Table3D, {});
        row("table disabled: nothing, silently", Disabled, false, true, Answer::Ok, Open::None, {});
        row("2D template missing", Use2D, false, false, Answer::Ok, Open::None,
            {"Edit Timing Table: Chart template file IGX_2D_Timing_Chart.oc2 not found. "
             "[OK, critical]"});
        row("empty buffer, OK: the wizard", Use3D, true, true, Answer::Ok, Open::None,
            {kEmptyQuestion, "wizard 3D"});
        row("empty buffer, OK: the 2D wizard", Use2D, true, true, Answer::Ok, Open::None,
            {kEmptyQuestion, "wizard 2D"});
        row("empty buffer, Cancel", Use2D, true, true, Answer::Cancel, Open::None,
            {kEmptyQuestion});
    }
    // The copy text and the clipboard go in every case; the spans stay.
    void editOpensTheTableInUse() {
        QFETCH(int, mode);
        QFETCH(bool, bufferEmpty);
        QFETCH(bool, templateFound);
        QFETCH(int, answer);
        QFETCH(int, open);
        QFETCH(QStringList, boxes);
        Rig r{Mode(mode), bufferEmpty};
        r.templateFound = templateFound;
        r.editor.copy = {"1\t2", 0, 1};
        r.ui.answer(Answer(answer));
        mnuEditTimingTable_Click(r.editor);
        QCOMPARE(r.boxes(), boxes);
        QCOMPARE(int(r.state.openTable()), open);
        QCOMPARE(r.editor.session() != nullptr, open != int(Open::None));
        QCOMPARE(r.resizes, open != int(Open::None) ? 1 : 0);
        QCOMPARE(r.clipboardClears, 1);
        QVERIFY(r.editor.copy.CopyText.isEmpty());
        QCOMPARE(r.editor.copy.CopyColSpan, templateFound ? 1 : 0);  // Close empties it
        // The 3D grid is labelled for the sensor in use once a 3D table is set up.
        QCOMPARE(r.editor.mapLabel(1), QString(mode == Use3D ? "20" : "16"));
        // A download or a file open hides the table: its session goes with it.
        QSignalSpy dropped(&r.editor, &TableEditor::sessionChanged);
        r.state.setOpenTable(Open::None);
        QVERIFY(!r.editor.session());
        QCOMPARE(dropped.size(), open != int(Open::None) ? 1 : 0);
    }

    void closeAsksWhileATableIsOpen_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("mode");  // the table in use at the question
        QTest::newRow("Yes") << int(Answer::Yes) << int(Use3D);
        QTest::newRow("No") << int(Answer::No) << int(Use3D);
        QTest::newRow("Cancel") << int(Answer::Cancel) << int(Use3D);
        // The parameters switched to 2D under the open 3D table: Yes writes the 2D region,
        // from Table2D (all 0: 341 counts, limited to 255).
        QTest::newRow("Yes, 2D in use now") << int(Answer::Yes) << int(Use2D);
    }
    void closeAsksWhileATableIsOpen() {
        QFETCH(int, answer);
        QFETCH(int, mode);
        const bool stored = answer == int(Answer::Yes) && mode == Use3D;
        const bool stillOpen = answer == int(Answer::Cancel);
        Rig r(Use3D);
        r.openAndEdit("30");  // 0 counts below the trigger timing of 30
        r.image.Table2DEnabled = mode == Use2D;
        r.image.Table3DEnabled = mode == Use3D;
        r.image.DataBuffer.fill(0x55);
        r.editor.copy = {"x", 1, 1};
        r.state.setPaste(true, true);
        r.ui.answer(Answer(answer));
        mnuCloseTbl_Click(r.editor);
        QCOMPARE(r.boxes(), QStringList{kCloseQuestion});
        QCOMPARE(r.image.DataBuffer[ConfigImage::offset3D(1, 8)], stored ? 0 : 0x55);
        QCOMPARE(r.image.DataBuffer[ConfigImage::offset2D(1)], mode == Use2D ? 255 : 0x55);
        QCOMPARE(r.state.tableOpen(), stillOpen);
        QCOMPARE(r.editor.copy.CopyText.isEmpty(), !stillOpen);
        QCOMPARE(r.state.menus().paste2D, stillOpen);
    }

    // Without a table Close asks nothing and Save tells; on an overflow Abort keeps the
    // table open and unsaved.
    void saveWithoutATableOrAborted() {
        Rig r(Use3D);
        r.editor.copy = {"x", 1, 2};
        mnuCloseTbl_Click(r.editor);  // empties the copy store
        mnuSaveTbl_Click(r.editor);
        QCOMPARE(r.boxes(), QStringList{"Save Table Edits To Buffer: No active table to save "
                                        "[OK, exclamation]"});
        QCOMPARE(r.editor.copy.CopyColSpan, 0);
        r.openAndEdit("-3000");
        r.ui.answer(Answer::Abort);
        mnuSaveTbl_Click(r.editor);
        QCOMPARE(r.boxes(), QStringList{"Error: Overflow [Abort/Retry/Ignore, critical]"});
        QVERIFY(r.state.tableOpen());
    }

    void newTableByTableMode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("box");
        QTest::newRow("2D") << int(Use2D) << "wizard 2D";
        QTest::newRow("3D") << int(Use3D) << "wizard 3D";
        QTest::newRow("disabled") << int(Disabled)
                                  << "New Timing Table: Timing table disabled. Edit module "
                                     "parameters to enable timing table. [OK, exclamation]";
    }
    void newTableByTableMode() {
        QFETCH(int, mode);
        QFETCH(QString, box);
        Rig r{Mode(mode)};
        mnuNewTable_Click(r.editor);
        QCOMPARE(r.boxes(), QStringList{box});
        QCOMPARE(r.editor.mapSensorShown(), mode == Use3D ? 2 : 0);
    }

    void chartSetup3DBySensor_data() {
        QTest::addColumn<int>("sensor");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("labels");
        QTest::newRow("1: 2 bar") << 1 << 2 << "18 24 30 36 42 48 54 60";
        QTest::newRow("2: 3 bar") << 2 << 3 << "20 30 40 50 60 70 80 90";
        QTest::newRow("5: 1 bar") << 5 << 1 << "16 18 20 22 24 26 28 30";
    }
    // The template and the grid's MAP labels follow the sensor; an open 3D table is
    // loaded again from the image and its grid filled.
    void chartSetup3DBySensor() {
        QFETCH(int, sensor);
        QFETCH(int, bar);
        QFETCH(QString, labels);
        Rig r{Use3D};
        r.openAndEdit("12");
        r.image.MAPSensor = uint8_t(sensor);
        ChartSetup3D(r.editor);
        QCOMPARE(r.templates3D.last(), QString("/velo/IGX_3D_%1Bar_Timing_Chart.oc3").arg(bar));
        QStringList shown;
        for (int row = 1; row <= 8; ++row) shown << r.editor.mapLabel(row);
        QCOMPARE(shown.join(" "), labels);
        QCOMPARE(r.editor.session()->text(1, 1), QString("0.0"));
        QVERIFY(r.boxes().isEmpty());
    }

    // At start-up each missing template is told and start-up goes on; in ChartSetup3D
    // the 3D one closes the table, and Edit then opens it all the same.
    void missingTemplates() {
        Rig start;
        start.templateFound = start.template3DFound = false;
        loadChartTemplates(start.editor);
        QCOMPARE(start.boxes(),
                 (QStringList{"Form Load: Chart template file IGX_2D_Timing_Chart.oc2 not found. "
                              "[OK, exclamation]",
                              "Form Load: Chart template file IGX_3D_1Bar_Timing_Chart.oc3 not "
                              "found. [OK, exclamation]"}));
        const QString missing3D =
            "Edit Timing Table: Chart template file IGX_3D_3Bar_Timing_Chart.oc3 not found. "
            "[OK, critical]";
        Rig r{Use3D};
        mnuEditTimingTable_Click(r.editor);
        r.template3DFound = false;
        r.ui.answer(Answer::No);
        ChartSetup3D(r.editor);  // as after a download
        QCOMPARE(r.boxes(), (QStringList{missing3D, kCloseQuestion}));
        QVERIFY(!r.state.tableOpen());
        r.ui.clear();
        mnuEditTimingTable_Click(r.editor);
        QCOMPARE(r.boxes(), QStringList{missing3D});
        QCOMPARE(r.state.openTable(), Open::Table3D);
    }

    // Copy store or clipboard text enables the grid's Paste; the other grid's is left alone.
    void pasteOnRightClickFollowsCopyStoreOrClipboard() {
        const struct {
            const char *copyText, *clipboard;
            bool paste;
        } cases[] = {{"", "", false}, {"1.0", "", true}, {"", "12", true}};
        for (const auto& c : cases) {
            Rig r;
            r.editor.copy.CopyText = c.copyText;
            r.state.setPaste(true, true);
            setPasteForRightClick(r.editor, TableKind::Table3D, c.clipboard);
            QCOMPARE(r.state.menus().paste3D, c.paste);
            QVERIFY(r.state.menus().paste2D);
        }
    }

    // A flat table at `base` degrees (trigger timing 30 unless given) with "row,col=value"
    // cells changed; the result as "kind@row,col" for findings and notes alike.
    void findsWhatStrays_data() {
        QTest::addColumn<bool>("is3D");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("found");
        // clang-format off
        QTest::newRow("2D spike")                 << false << "1,10=24.1" << "spike@1,10";
        QTest::newRow("2D exactly 4 is no spike") << false << "1,10=24"   << "";
        QTest::newRow("2D end: one neighbour")    << false << "1,1=15.9"  << "spike@1,1";
        QTest::newRow("2D at trigger is a note")  << false << "t22;1,2=22" << "at-trigger@1,2";
        QTest::newRow("2D floor is 0")            << false << "t22;b2;1,21=0" << "at-lower-limit@1,21";
        QTest::newRow("3D spike and rise")        << true  << "4,5=24.1"  << "spike@4,5 load-rise@4,5";
        QTest::newRow("3D mean of four")          << true  << "4,5=24.1;3,5=22;5,5=22" << "load-rise@4,5";
        QTest::newRow("3D rise of exactly 2")     << true  << "4,5=22"    << "";
        QTest::newRow("3D fall with load")        << true  << "1,5=23"    << "";
        QTest::newRow("3D corner")                << true  << "8,21=25"   << "spike@8,21 load-rise@8,21";
        QTest::newRow("3D lower limit")           << true  << "b10;2,3=8" << "at-lower-limit@2,3";
        // clang-format on
    }
    void findsWhatStrays() {
        QFETCH(bool, is3D);
        QFETCH(QString, cells);
        QFETCH(QString, found);
        int trig = 30;
        double base = 20;
        QHash<int, double> v;
        for (const QString& c : cells.split(';')) {
            const QStringList p = c.split(QRegularExpression("[,=]"));
            if (c[0] == 't') trig = c.mid(1).toInt();
            if (c[0] == 'b') base = c.mid(1).toDouble();
            if (p.size() == 3) v[p[0].toInt() * 100 + p[1].toInt()] = p[2].toDouble();
        }
        const CheckedTable t{is3D ? TableKind::Table3D : TableKind::Table2D, trig, 1,
                             [&](int r, int c) { return v.value(r * 100 + c, base); }};
        QStringList got;
        for (const TableFinding& f : checkTable(t, {}))
            got << QString("%1@%2,%3").arg(f.kindName()).arg(f.row).arg(f.col);
        QCOMPARE(got.join(' '), found);
    }

    void askBeforeUpload() {
        // One 2D dip in the buffer: the question comes, No stops the upload, and the
        // settings can widen the rule or turn the question off.
        test::ModelRig r;
        r.image.DataBuffer[ConfigImage::kTrigTiming] = 30;
        r.image.DataBuffer[ConfigImage::kOptions] = 0x1C;   // both: the 2D table, as Edit
        r.image.DataBuffer[ConfigImage::offset2D(5)] = 60;  // 5.3 degrees below the rest
        r.image.UpdateParams();
        r.image.BufferEmpty = false;
        QTemporaryDir dir;
        QSettings s(dir.filePath("s.ini"), QSettings::IniFormat);
        r.ui.answer(Answer::No);
        QVERIFY(!uploadDespiteFindings(r.ctx, s));
        QCOMPARE(r.ui.texts(), QStringList{"The timing table has 1 finding (spikes or advance "
                                           "rising with load). Upload anyway?"});
        QCOMPARE(r.ui.shown()[0].buttons, Buttons::YesNoDefaultNo);
        s.setValue("TableCheck/SpikeDegrees", 20);
        QVERIFY(uploadDespiteFindings(r.ctx, s));
        s.setValue("TableCheck/SpikeDegrees", 4);
        s.setValue("TableCheck/AskBeforeUpload", false);
        QVERIFY(uploadDespiteFindings(r.ctx, s));
        QCOMPARE(r.ui.shown().size(), 1);
        // The bytes sent decide: a dip gone from the arrays alone is still programmed.
        s.setValue("TableCheck/AskBeforeUpload", true);
        r.image.Table2D(5, 1) = r.image.Table2D(4, 1);
        r.ui.answer(Answer::No);
        QVERIFY(!uploadDespiteFindings(r.ctx, s));
    }

    void importShowsTheChangesFirst_data() {
        QTest::addColumn<QString>("cell");  // the text for 3D cell (3, 5), 0.0 in the table
        QTest::addColumn<bool>("ok");       // the preview's answer
        QTest::addColumn<QString>("told");  // the status line or the box
        QTest::newRow("OK") << "25" << true << "Imported t.csv: 1 cell changed";
        QTest::newRow("Cancel") << "25" << false << "";
        QTest::newRow("the same number: no preview")
            << "0" << true << "Imported t.csv: no cell changed";
        QTest::newRow("refused") << "99" << true
                                 << "Import Timing Table From CSV: Line 4 (40), 2000 RPM: \"99\": "
                                    "Timing must be numeric value between 8 and 30 degrees.";
    }
    // With no table open the table in use opens first; only a change is previewed.
    void importShowsTheChangesFirst() {
        QFETCH(QString, cell);
        QFETCH(bool, ok);
        QFETCH(QString, told);
        Rig r(Use3D);
        QTemporaryDir dir;
        QStringList lines =
            tableToCsv(TableSession(TableKind::Table3D, r.image), 2, PressureUnit::InHg)
                .split('\n');
        QStringList fields = lines[3].split(',');
        fields[5] = cell;
        lines[3] = fields.join(',');
        r.ui.answerFile(test::writeFile(dir.filePath("t.csv"), lines.join('\n').toUtf8()));
        QStringList previews;
        // The differences first ("+25.0" is wider than the values), nothing cut short.
        r.preview = [&](const ImportPreview& p, const QString& file) {
            CompareDialog d(importSides(r.editor, p, file), false);
            previews << QString("%1: %2, %3 cut")
                            .arg(file)
                            .arg(compareImages(p.before, p.after).cells.size())
                            .arg(cutTexts(*child<QTableWidget>(d, "grdCompare3D")).join(' '));
            if (!child<QRadioButton>(d, "optShowDifference")->isChecked()) previews << "values";
            return ok;
        };
        mnuImportCsv_Click(r.editor);
        QVERIFY(r.editor.session());
        QCOMPARE(r.heard.lastNotice() + r.titled().join(""), told);
        QCOMPARE(previews, cell == "25" ? QStringList{"t.csv: 1,  cut"} : QStringList{});
        QCOMPARE(r.editor.session()->text(3, 5), QString(ok && cell == "25" ? "25" : "0.0"));
    }

    // Loading from TrigTiming (box -1), or leaving one box of the defaults at 30.
    void the2DBoxesAreCorrected_data() {
        QTest::addColumn<int>("trig");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("messages");
        const QString more = "Value must be less than or equal to ";
        const QString less = "Value must be greater than or equal to ";
        auto row = [](const char* name, int trig, int b, const char* text, const char* shown,
                      const QStringList& messages = {}) {
            QTest::newRow(name) << trig << b << text << shown << messages;
        };
        row("loaded at 15", 15, -1, "", "15 1500 3000 5 15");
        row("loaded at 5", 5, -1, "", "5 1500 3000 0 5");
        row("trigger fraction cut off", 30, Box::TrigTiming, "39.9", "39 1500 3000 10 30");
        row("trigger above 40", 30, Box::TrigTiming, "45", "40 1500 3000 10 30",
            {"Trigger Timing Value: " + more + "40"});
        row("trigger below 0 lowers both advances", 30, Box::TrigTiming, "-3", "0 1500 3000 0 0",
            {"Trigger Timing Value: " + less + "zero"});
        row("start RPM 1250: half to even", 30, Box::StartRPM, "1250", "30 1000 3000 10 30");
        row("start RPM below 500", 30, Box::StartRPM, "300", "30 500 3000 10 30",
            {"Start RPM Parameter: " + less + "500"});
        row("start RPM above 10000 moves final", 30, Box::StartRPM, "12000", "30 10000 10000 10 30",
            {"Start RPM Parameter: " + more + "10000"});
        row("final RPM not a number moves start", 30, Box::FinalRPM, "x", "30 1000 1000 10 30",
            {"Final RPM Parameter: " + less + "1000"});
        row("final RPM above 10000", 30, Box::FinalRPM, "1e9", "30 1500 10000 10 30",
            {"Final RPM Parameter: " + more + "10000"});
        row("start advance cut off", 30, Box::StartTiming, "12.7", "30 1500 3000 12 30");
        row("start advance above trigger", 30, Box::StartTiming, "30.5", "30 1500 3000 30 30",
            {"Start Timing Value: " + more + "trigger timing: 30"});
        row("final advance below 0", 30, Box::FinalTiming, "-0.5", "30 1500 3000 10 0",
            {"Final Timing Value: " + less + "zero"});
    }
    void the2DBoxesAreCorrected() {
        QFETCH(int, trig);
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(QStringList, messages);
        Rig r(Use2D, true, trig);
        New2DTableForm f(r.editor);
        f.Form_Load();
        if (box >= 0) f.validate(Box(box), text);
        QStringList texts;
        for (int b = 0; b < New2DTableForm::BoxCount; ++b) texts << f.text(Box(b));
        QCOMPARE(texts.join(' '), shown);
        QCOMPARE(r.titled(), messages);
        QCOMPARE(r.image.TrigTiming, int16_t(trig));  // only a generated table sets it
        QCOMPARE(r.state.title(), r.state.BaseTitle);
    }

    // The ramp on the 0.0879 grid, within its two advances and the trigger window.
    void generated2DTables_data() {
        QTest::addColumn<QList<int>>("values");  // trigger, start/final RPM, start/final adv
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QList<int>>("counts");  // column, count: cells exactly on the grid
        auto row = [](const char* name, QList<int> values, const QString& cells,
                      QList<int> counts) { QTest::newRow(name) << values << cells << counts; };
        row("defaults", {30, 1500, 3000, 10, 30},
            repeat("10.0", 4) + " 16.7 23.3 " + repeat("30.0", 15), {4, 114, 7, 341});
        row("raised to the trigger window", {30, 1000, 6000, 0, 25},
            repeat("8.0", 6) + " 10.0 12.5 15.0 17.5 20.0 22.5 25.0 " + repeat("25.0", 8),
            {7, 114, 8, 142, 13, 284});
        row("equal RPMs: a step", {30, 3000, 3000, 10, 30},
            repeat("10.0", 7) + " " + repeat("30.0", 14), {7, 114});
        row("falling ramp", {20, 2000, 3000, 20, 10},
            repeat("20.0", 5) + " 15.0 " + repeat("10.0", 15), {6, 171});
        row("start above final: refused", {25, 4000, 3000, 10, 30}, "", {});
    }
    void generated2DTables() {
        QFETCH(QList<int>, values);
        QFETCH(QString, cells);
        QFETCH(QList<int>, counts);
        Rig r(Use2D, true);
        New2DTableForm f(r.editor);
        f.Form_Load();
        for (int b = 0; b < New2DTableForm::BoxCount; ++b) f.setValue(Box(b), int16_t(values[b]));
        f.cmdOK_Click();
        if (cells.isEmpty()) {
            QCOMPARE(r.titled(), QStringList{"New Timing Table Wizard: User error - start RPM must "
                                             "be less than final RPM."});
            QVERIFY(!r.editor.session());
            QCOMPARE(r.image.TrigTiming, int16_t(30));
            return;
        }
        QStringList row1;  // as the grid shows it
        for (int c = 1; c <= 21; ++c) row1 << r.editor.session()->text(1, c);
        QCOMPARE(row1.join(' '), cells);
        for (int i = 0; i < counts.size(); i += 2)
            QCOMPARE(r.image.Table2D(counts[i], 1), double(float(counts[i + 1] * 0.0879)));
        for (int k = 1; k <= 21; ++k) QCOMPARE(r.image.Table2D(k, 2), double(values[0]));
        QCOMPARE(r.image.TrigTiming, int16_t(values[0]));
    }

    // "Close File": Yes keeps the open table's edits in the buffer, Cancel keeps it open.
    void openTableAskedAboutOnLoad_data() {
        QTest::addColumn<bool>("use3D");
        QTest::addColumn<int>("answer");
        QTest::newRow("2D Yes") << false << int(Answer::Yes);
        QTest::newRow("3D No, the 2D table open") << true << int(Answer::No);
        QTest::newRow("3D Cancel") << true << int(Answer::Cancel);
    }
    void openTableAskedAboutOnLoad() {
        QFETCH(bool, use3D);
        QFETCH(int, answer);
        const bool saved = answer == int(Answer::Yes), stillOpen = answer == int(Answer::Cancel);
        Rig r(use3D ? Use3D : Use2D);
        // The parameters may have switched the mode under the open table: asked all the same.
        const bool other = answer == int(Answer::No);
        r.editor.open(use3D != other ? TableKind::Table3D : TableKind::Table2D);
        r.editor.session()->acceptEdit(1, 1, "30");  // 0 counts
        const int offset = use3D ? ConfigImage::offset3D(1, 8) : ConfigImage::offset2D(1);
        r.image.DataBuffer[offset] = 0x55;
        const QString title = r.state.title();
        r.ui.answer(Answer(answer));
        New3DTableForm f3(r.editor);
        use3D ? f3.Form_Load() : New2DTableForm(r.editor).Form_Load();
        QCOMPARE(r.titled(), QStringList{"Close File: Save timing table before closing file?"});
        QCOMPARE(r.image.DataBuffer[offset], saved ? 0 : 0x55);
        QCOMPARE(r.state.tableOpen(), stillOpen);
        QCOMPARE(r.state.title(), stillOpen ? title : r.state.BaseTitle);
        QCOMPARE(f3.baseTiming(), int16_t(use3D ? 20 : 0));  // never 0 after Cancel
    }

    // Loaded from TrigTiming, then slider moves: (0 base / 1 trigger, position) pairs.
    void slidersKeepTheBaseUnderTheTrigger_data() {
        QTest::addColumn<int>("loaded");
        QTest::addColumn<QList<int>>("moves");
        QTest::addColumn<int>("trig");
        QTest::addColumn<int>("base");
        QTest::newRow("loaded at 30") << 30 << QList<int>{} << 30 << 20;
        QTest::newRow("loaded at 15") << 15 << QList<int>{} << 15 << 15;
        QTest::newRow("raised to 40 from base 10: 18") << 30 << QList<int>{0, 30, 1, 0} << 40 << 18;
        QTest::newRow("base above the trigger springs back") << 30 << QList<int>{0, 5} << 30 << 30;
        QTest::newRow("base stops 22 below") << 30 << QList<int>{0, 40} << 30 << 8;
    }
    void slidersKeepTheBaseUnderTheTrigger() {
        QFETCH(int, loaded);
        QFETCH(QList<int>, moves);
        QFETCH(int, trig);
        QFETCH(int, base);
        Rig r(Use3D, true, loaded);
        New3DTableForm f(r.editor);
        f.Form_Load();
        for (int i = 0; i < moves.size(); i += 2) {
            if (moves[i])
                f.sldTrigTiming_Change(moves[i + 1]);
            else
                f.sldBaseTmg_Change(moves[i + 1]);
        }
        QCOMPARE(f.trigSlider(), (New3DTableForm::Slider{40 - trig, QString::number(trig)}));
        QCOMPARE(f.baseSlider(), (New3DTableForm::Slider{40 - base, QString::number(base)}));
        f.sldBaseTmg_Change(f.baseSlider().position);  // run again: the same
        QCOMPARE(f.baseTiming(), int16_t(base));
    }

    // Update fills every cell and leaves TrigTiming; OK sets it.
    void update3DFillsOkSetsTheTrigger() {
        Rig r(Use3D, true);
        New3DTableForm f(r.editor);
        f.Form_Load();
        f.cmdUpdate_Click();
        r.editor.session()->acceptEdit(3, 5, "11");
        f.sldTrigTiming_Change(5);  // 35, base stays 20
        f.cmdUpdate_Click();
        const TableSession* s = r.editor.session();
        QVERIFY(!s->cellEdited(3, 5) && s->hasEdits());  // a fresh table, not yet in the buffer
        for (int row = 1; row <= 8; ++row)
            for (int c = 1; c <= 21; ++c) QCOMPARE(s->text(row, c), QString("20.0"));
        QCOMPARE(r.image.TrigTiming, int16_t(30));
        f.cmdOK_Click();
        QCOMPARE(r.image.TrigTiming, int16_t(35));
        QCOMPARE(r.image.Table3D(21, 1), 20.0);
    }

    void wizard2DBoxesButtonsAndTable() {
        Rig r(Use2D, true);
        frmNew2DTable d(r.editor);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(d.windowTitle(), QString("Velo IGX - New 2D Timing Table"));
        auto* trig = child<QLineEdit>(d, "txtTrigTimingVal");
        QCOMPARE(tabOrder(trig, 7),
                 (QStringList{"txtTrigTimingVal", "txtStartRPMVal", "txtFinalRPMVal",
                              "txtStartTimingVal", "txtFinalTimingVal", "cmdUpdate", "cmdOK"}));
        // Tab out of a box corrects it.
        auto* start = child<QLineEdit>(d, "txtStartRPMVal");
        start->setFocus();
        start->selectAll();
        QTest::keyClicks(start, "1750");
        QTest::keyClick(start, Qt::Key_Tab);
        QCOMPARE(start->text(), QString("2000"));
        // A click on Update from an edited box: checked first, then the table made.
        trig->setFocus();
        trig->selectAll();
        QTest::keyClicks(trig, "45");
        // A real message box takes the focus, and with it the pressed state of the button.
        r.ui.onShow = [](const auto&) { QApplication::focusWidget()->clearFocus(); };
        QTest::mouseClick(child<QPushButton>(d, "cmdUpdate"), Qt::LeftButton);
        QCOMPARE(r.ui.texts(), QStringList{"Value must be less than or equal to 40"});
        QCOMPARE(trig->text(), QString("40"));
        QVERIFY(r.editor.session());
        child<QPushButton>(d, "cmdOK")->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void wizard3DSlidersAndTable() {
        Rig r(Use3D, true);
        frmNew3DTable d(r.editor);
        d.show();
        QCOMPARE(d.windowTitle(), QString("Velo IGX - New 3D Timing Table"));
        auto* trig = child<QSlider>(d, "sldTrigTiming");
        auto* base = child<QSlider>(d, "sldBaseTmg");
        QCOMPARE(tabOrder(trig, 4),
                 (QStringList{"sldTrigTiming", "sldBaseTmg", "cmdUpdate", "cmdOK"}));
        QCOMPARE(base->value(), 20);
        trig->setValue(12);  // the base follows down
        QCOMPARE(base->value(), 12);
        QCOMPARE(child<QLabel>(d, "lblBaseTmgVal")->text(), QString("12"));
        child<QPushButton>(d, "cmdOK")->click();
        QCOMPARE(r.editor.session()->text(8, 21), QString("12.0"));
        QVERIFY(!d.isVisible());
    }
};

QTEST_MAIN(TableCommandsTest)
#include "table_commands_test.moc"
