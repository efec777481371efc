#include "table/table_commands.h"

#include "support/model_rig.h"
#include "table/table_check.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace velo;

namespace {

enum Mode { Disabled, Use2D, Use3D };
using Open = MainState::OpenTable;

struct Rig : test::ModelRig {
    TableEditor editor{ctx};
    bool templateFound = true, template3DFound = true;
    QStringList templates3D;  // the 3D templates loaded
    int clipboardClears = 0, resizes = 0;
    QString wizard;  // the wizard shown last
    Rig(Mode mode = Use2D, bool bufferEmpty = false) {
        image.BufferEmpty = bufferEmpty;
        image.Table2DEnabled = mode == Use2D;
        image.Table3DEnabled = mode == Use3D;
        image.MAPSensor = 2;
        editor.loadTemplate2D = [this](const QString& path) {
            return templateFound && path.endsWith("/IGX_2D_Timing_Chart.oc2");
        };
        editor.files = AppFiles("/velo");
        editor.loadTemplate3D = [this](const QString& path) {
            templates3D << path;
            return template3DFound;
        };
        editor.clearClipboard = [this] { ++clipboardClears; };
        editor.formResize = [this] { ++resizes; };
        editor.showWizard = [this](TableKind k) {
            wizard = k == TableKind::Table2D ? "wizard 2D" : "wizard 3D";
        };
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
        mnuEditTimingTable_Click(r.editor);
        r.editor.session()->acceptEdit(3, 4, "12");
        r.image.MAPSensor = uint8_t(sensor);
        ChartSetup3D(r.editor);
        QCOMPARE(r.templates3D.last(), QString("/velo/IGX_3D_%1Bar_Timing_Chart.oc3").arg(bar));
        QStringList shown;
        for (int row = 1; row <= 8; ++row) shown << r.editor.mapLabel(row);
        QCOMPARE(shown.join(" "), labels);
        QCOMPARE(r.editor.session()->text(3, 4), QString("0.0"));
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
        r.image.DataBuffer[ConfigImage::kOptions] = 0x0C;   // 2D table in use
        r.image.DataBuffer[ConfigImage::offset2D(5)] = 60;  // 5.3 degrees below the rest
        r.image.UpdateParams();
        r.image.BufferEmpty = false;
        QTemporaryDir dir;
        QSettings s(dir.filePath("s.ini"), QSettings::IniFormat);
        r.ui.answer(Answer::No);
        QVERIFY(!uploadDespiteFindings(r.ctx, s));
        QCOMPARE(r.ui.texts(), QStringList{"The timing table has 1 findings (spikes or advance "
                                           "rising with load). Upload anyway?"});
        QCOMPARE(r.ui.shown()[0].buttons, Buttons::YesNoDefaultNo);
        s.setValue("TableCheck/SpikeDegrees", 20);
        QVERIFY(uploadDespiteFindings(r.ctx, s));
        s.setValue("TableCheck/SpikeDegrees", 4);
        s.setValue("TableCheck/AskBeforeUpload", false);
        QVERIFY(uploadDespiteFindings(r.ctx, s));
        QCOMPARE(r.ui.shown().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TableCommandsTest)
#include "table_commands_test.moc"
