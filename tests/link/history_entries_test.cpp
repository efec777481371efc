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
        auto row = [](const char* tag, const char* action, const QStringList& sim,
                      const QStringList& kept, const QString& notice, const QString& warning = {}) {
            QTest::newRow(tag) << action << sim << kept << notice << warning;
        };
        row("download over a buffer and a table", "download", {},
            {"download: ", "buffer-kept: before Download", "table-edits: before Download"}, buffer);
        row("failed download", "download", {"--read-drop", "100"},
            {"buffer-kept: before Download", "table-edits: before Download"}, buffer, "unchanged");
        row("verified upload", "upload", {}, {"upload: verified"}, "");
        row("programming stopped", "upload", {"--write-refuse", "100"},
            {"upload-failed: programming stopped after EEPROM address 99"}, "", partly);
        row("read-back differs", "upload", {"--read-corrupt", "77"},
            {"upload-failed: verification found EEPROM address 77 different"}, "", partly);
        row("Edit drops the table's edits", "edit", {}, {"table-edits: before Edit Timing Table"},
            edits);
        row("Close answered No", "close", {}, {"table-edits: Close Timing Table answered No"},
            edits);
        row("Save with the other table in use now", "switch", {},
            {"table-edits: before the table closed"}, edits);
        row("trigger timing clips the tables", "clip", {}, {"before-clip: before Trig Timing 20"},
            QString("OK brought 21 cells into 0.0° to 20.0°. ") + history::kClippedKept);
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
