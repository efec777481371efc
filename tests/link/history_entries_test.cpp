// What the workflows keep in Tune History, and what the user is told about it.
#include "core/tune_history.h"
#include "data/history_records.h"
#include "data/mod_params.h"
#include "support/fake_link.h"
#include "table/table_commands.h"
#include "table/table_history.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velo;
using namespace velo::test;

class HistoryEntriesTest : public QObject {
    Q_OBJECT
  private slots:
    void workflowKeepsEntries_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("sim");
        QTest::addColumn<QStringList>("kept");  // "event: note", newest first
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("warning");
        const QString buffer = history::kBufferKept, edits = history::kEditsKept;
        const QString partly = history::kPartlyProgrammed;
        QTest::newRow("download over a buffer and a table")
            << "download" << QStringList{}
            << QStringList{"download: ", "buffer-kept: before Download",
                           "table-edits: before Download"}
            << buffer << "";
        QTest::newRow("failed download")
            << "download" << QStringList{"--read-drop", "100"}
            << QStringList{"buffer-kept: before Download", "table-edits: before Download"} << buffer
            << "unchanged";
        QTest::newRow("verified upload")
            << "upload" << QStringList{} << QStringList{"upload: verified"} << ""
            << "";
        QTest::newRow("programming stopped")
            << "upload" << QStringList{"--write-refuse", "100"}
            << QStringList{"upload-failed: programming stopped after EEPROM address 99"} << ""
            << partly;
        QTest::newRow("read-back differs")
            << "upload" << QStringList{"--read-corrupt", "77"}
            << QStringList{"upload-failed: verification found EEPROM address 77 different"} << ""
            << partly;
        QTest::newRow("Edit drops the table's edits")
            << "edit" << QStringList{} << QStringList{"table-edits: before Edit Timing Table"}
            << edits << "";
        QTest::newRow("Close answered No")
            << "close" << QStringList{}
            << QStringList{"table-edits: Close Timing Table answered No"} << edits << "";
        QTest::newRow("Save with the other table in use now")
            << "switch" << QStringList{} << QStringList{"table-edits: before the table closed"}
            << edits << "";
        QTest::newRow("trigger timing clips the tables")
            << "clip" << QStringList{} << QStringList{"before-clip: before Trig Timing 20"}
            << QString("OK brought 21 cells into 0.0° to 20.0°. ") + history::kClippedKept << "";
    }
    void workflowKeepsEntries() {
        QFETCH(QString, action);
        QFETCH(QStringList, sim);
        QFETCH(QStringList, kept);
        QFETCH(QString, notice);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        TuneHistory store(dir.filePath("h.sqlite"));
        LinkRig rig(sim);
        TableEditor editor(rig.ctx);
        QString told, warned = "unchanged";
        rig.ctx.history = &store;
        rig.ctx.notice = [&](const QString& t) { told = t; };
        rig.ctx.warning = [&](const QString& t) { warned = t; };
        rig.setControllerImage(randomImage(21));
        rig.image.setImageBytes(randomImage(22));
        rig.image.Table2DEnabled = true;
        rig.image.Table3DEnabled = false;
        for (int k = 1; k <= 21; ++k) rig.image.Table2D(k, 1) = 35;
        rig.image.BufferEmpty = false;
        if (action != "upload" && action != "clip") {
            editor.open(TableKind::Table2D);
            editor.session()->acceptEdit(1, 1, "12");
        }
        if (action == "download") rig.link->download();
        if (action == "upload") rig.link->upload();
        if (action == "edit") mnuEditTimingTable_Click(editor);
        if (action == "close") rig.ui.answer(Answer::No), mnuCloseTbl_Click(editor);
        if (action == "switch") std::swap(rig.image.Table2DEnabled, rig.image.Table3DEnabled);
        if (action == "switch") mnuSaveTbl_Click(editor);
        if (action == "clip") {
            ModParamsForm form(rig.ctx);
            form.Form_Load();
            form.sldTrigTiming_Change(20);
            form.cmdOK_Click();
        }
        QStringList got;
        for (const HistoryEntry& e : store.entries()) got << e.event + ": " + e.note;
        QCOMPARE(got, kept);
        QCOMPARE(told, notice);
        if (action == "upload" || action == "download") QCOMPARE(warned, warning);
    }

    // Written while unsaved; gone once saved.
    void unsavedEditsAreWrittenUntilSaved() {
        QTemporaryDir dir;
        TuneHistory store(dir.filePath("h.sqlite"));
        ModelRig rig;
        TableEditor editor(rig.ctx);
        new TableAutosave(editor, store, 0);
        rig.image.Table2DEnabled = true;
        rig.image.BufferEmpty = false;
        mnuEditTimingTable_Click(editor);
        editor.session()->acceptEdit(1, 1, "12");
        QTRY_VERIFY(store.holdsUnsavedTable());
        mnuSaveTbl_Click(editor);
        QVERIFY(!store.holdsUnsavedTable());
    }
};

QTEST_GUILESS_MAIN(HistoryEntriesTest)
#include "history_entries_test.moc"
