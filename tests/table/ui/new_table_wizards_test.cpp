#include "table/ui/new_table_wizards.h"

#include "core/numeric.h"
#include "support/dialogs.h"
#include "support/model_rig.h"
#include "table/new2d_wizard.h"
#include "table/new3d_wizard.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

using namespace velo;
using test::child;

namespace {

using Box = New2DTableForm::Box;

struct Rig : test::ModelRig {
    TableEditor editor{ctx};
    explicit Rig(int trigTiming = 30, bool use3D = false) {
        image.TrigTiming = int16_t(trigTiming);
        image.Table2DEnabled = !use3D;
        image.Table3DEnabled = use3D;
        state.setTitle("Maker " + state.BaseTitle + " - demo.dat");
    }
    QStringList boxes() const {
        QStringList out;
        for (const auto& s : ui.shown()) out << s.title + ": " + s.text;
        return out;
    }
};

QString repeat(const QString& cell, int n) {
    return QStringList(n, cell).join(' ');
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

class NewTableWizardsTest : public QObject {
    Q_OBJECT
  private slots:
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
        Rig r(trig);
        New2DTableForm f(r.editor);
        f.Form_Load();
        if (box >= 0) f.validate(Box(box), text);
        QStringList texts;
        for (int b = 0; b < New2DTableForm::BoxCount; ++b) texts << f.text(Box(b));
        QCOMPARE(texts.join(' '), shown);
        QCOMPARE(r.boxes(), messages);
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
        Rig r;
        New2DTableForm f(r.editor);
        f.Form_Load();
        for (int b = 0; b < New2DTableForm::BoxCount; ++b) f.setValue(Box(b), int16_t(values[b]));
        f.cmdOK_Click();
        if (cells.isEmpty()) {
            QCOMPARE(r.boxes(), QStringList{"New Timing Table Wizard: User error - start RPM must "
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
        Rig r(30, use3D);
        r.image.BufferEmpty = false;
        // The parameters may have switched the mode under the open table: asked all the same.
        const bool other = answer == int(Answer::No);
        r.editor.open(use3D != other ? TableKind::Table3D : TableKind::Table2D);
        r.editor.session()->acceptEdit(1, 1, "30");  // 0 counts
        const int offset = use3D ? ConfigImage::offset3D(1, 8) : ConfigImage::offset2D(1);
        r.image.DataBuffer[offset] = 0x55;
        const QString title = r.state.title();
        r.ui.answer(Answer(answer));
        New3DTableForm f3(r.editor);
        if (use3D)
            f3.Form_Load();
        else
            New2DTableForm(r.editor).Form_Load();
        QCOMPARE(r.boxes(), QStringList{"Close File: Save timing table before closing file?"});
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
        Rig r(loaded, true);
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
        Rig r(30, true);
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
        Rig r;
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
        Rig r(30, true);
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

QTEST_MAIN(NewTableWizardsTest)
#include "new_table_wizards_test.moc"
