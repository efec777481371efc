#include "table/table_commands.h"

#include "core/error_report.h"
#include "data/history_records.h"
#include "table/table_history.h"

namespace velo {

NoTableWindow& noTableWindow() {
    static NoTableWindow none;
    return none;
}

namespace {

constexpr const char* kEditTitle = "Edit Timing Table";
constexpr const char* kNewTitle = "New Timing Table";

MainState::OpenTable openTableOf(TableKind kind) {
    return kind == TableKind::Table2D ? MainState::OpenTable::Table2D
                                      : MainState::OpenTable::Table3D;
}

QString templateMissing(const QString& file = kChart2DTemplate) {
    return QString("Chart template file %1 not found.").arg(file);
}

}  // namespace

TableEditor::TableEditor(AppContext& context, QObject* parent)
    : QObject(parent), ctx(context), copy(context.copyStore) {
    // A download or a file open hides the table without asking.
    connect(&ctx.state, &MainState::openTableChanged, this, [this] {
        if (!ctx.state.tableOpen() && session_) close();
    });
    ctx.tableEdits = this;
}

TableEditor::~TableEditor() {
    // Exit answered No.
    keepEdits("at exit");
    ctx.tableEdits = &noHooks();
}

void TableEditor::keepEdits(const QString& note) {
    if (!session_ || editsKept_ || !session_->hasEdits()) return;
    editsKept_ = true;
    if (history::keep(ctx, HistoryEvent::TableEdits, tableEditsBytes(ctx.image, *session_),
                      ctx.state.DisplayName, note))
        ctx.tell(history::kEditsKept);
}

void TableEditor::open(TableKind kind, bool newTable) {
    close();
    editsKept_ = false;
    session_ = std::make_unique<TableSession>(kind, ctx.image);
    session_->newTable = newTable;
    connect(session_.get(), &TableSession::limitNotice, this,
            [this](const QString& t) { ctx.tell(t); });
    emit sessionChanged(session_.get());
    ctx.state.setOpenTable(openTableOf(kind));
}

void TableEditor::close(bool editsSaved) {
    if (!editsSaved) keepEdits("before the table closed");
    std::unique_ptr<TableSession> old = std::move(session_);
    ctx.state.setOpenTable(MainState::OpenTable::None);
    if (old) emit sessionChanged(nullptr);
}

void TableEditor::setPressureUnit(PressureUnit unit) {
    unit_ = unit;
    emit mapLabelsChanged();
}

void TableEditor::setMapLabels(int mapSensor) {
    mapSensor_ = mapSensor;
    emit mapLabelsChanged();
}

bool TableEditor::templateLoads() const {
    return window->loadTemplate2D(files.path(kChart2DTemplate));
}

bool TableEditor::template3DLoads(const QString& file) const {
    return window->loadTemplate3D(files.path(file));
}

QString chart3DTemplate(int mapSensor) {
    switch (mapSensor) {
        case 1:
            return "IGX_3D_2Bar_Timing_Chart.oc3";
        case 2:
            return "IGX_3D_3Bar_Timing_Chart.oc3";
        default:
            return "IGX_3D_1Bar_Timing_Chart.oc3";
    }
}

void loadChartTemplates(TableEditor& editor) {
    if (!editor.templateLoads())
        editor.ctx.ui.message("Form Load", templateMissing(), Buttons::Ok, Icon::Exclamation);
    const QString file3D = chart3DTemplate(0);
    if (!editor.template3DLoads(file3D))
        editor.ctx.ui.message("Form Load", templateMissing(file3D), Buttons::Ok, Icon::Exclamation);
    editor.window->hideValueLabels();
}

void ChartSetup3D(TableEditor& editor) {
    const int sensor = editor.ctx.image.MAPSensor;
    editor.setMapLabels(sensor);
    const QString file = chart3DTemplate(sensor);
    if (!editor.template3DLoads(file)) {
        editor.ctx.ui.message(kEditTitle, templateMissing(file), Buttons::Ok, Icon::Critical);
        mnuCloseTbl_Click(editor);
        return;
    }
    // Copy3DChartToGrid comes with the reload.
    TableSession* s = editor.session();
    if (s && s->kind() == TableKind::Table3D) s->reload(editor.ctx.image);
    editor.window->hideValueLabels();
}

void mnuEditTimingTable_Click(TableEditor& editor) {
    AppContext& ctx = editor.ctx;
    const ConfigImage& image = ctx.image;
    Trap trap(ctx.ui);
    editor.copy.clearText();
    editor.window->clearClipboard();
    editor.keepEdits("before Edit Timing Table");
    editor.close();
    if (image.Table3DEnabled && !trap.step([&] { ChartSetup3D(editor); })) return;
    if (image.BufferEmpty) {
        if (ctx.ui.message(kEditTitle, "Data buffer empty. Create new table?", Buttons::OkCancel,
                           Icon::None) == Answer::Ok)
            editor.window->showWizard(image.Table2DEnabled ? TableKind::Table2D
                                                           : TableKind::Table3D);
        return;
    }
    letMessagesRun();
    const auto kind = image.tableInUse();
    if (!kind) return;
    if (*kind == TableKind::Table2D && !editor.templateLoads()) {
        ctx.ui.message(kEditTitle, templateMissing(), Buttons::Ok, Icon::Critical);
        mnuCloseTbl_Click(editor);
        return;
    }
    trap.step([&] {
        editor.open(*kind);
        editor.window->hideValueLabels();
        editor.window->formResize();
    });
}

void mnuNewTable_Click(TableEditor& editor) {
    const ConfigImage& image = editor.ctx.image;
    if (image.Table2DEnabled) {
        editor.window->showWizard(TableKind::Table2D);
    } else if (!image.Table3DEnabled) {
        editor.ctx.ui.message(
            kNewTitle, "Timing table disabled. Edit module parameters to enable timing table.",
            Buttons::Ok, Icon::Exclamation);
    } else {
        ChartSetup3D(editor);
        editor.window->showWizard(TableKind::Table3D);
    }
}

void mnuSaveTbl_Click(TableEditor& editor) {
    AppContext& ctx = editor.ctx;
    TableSession* s = editor.session();
    if (!s) {
        ctx.ui.message("Save Table Edits To Buffer", "No active table to save", Buttons::Ok,
                       Icon::Exclamation);
        return;
    }
    // With the table switched off since it was opened there is nothing to store it as.
    const auto used = ctx.image.tableInUse();
    if (!used) return;
    Trap trap(ctx.ui);
    // The parameters may have switched the table in use under the open one: the region in
    // use is written, from its array, which holds what its chart last took; the edits on
    // the screen then go to Tune History.
    const TableKind inUse = *used;
    const bool own = s->kind() == inUse;
    if (!(own ? s->save(ctx.image, trap) : TableSession(inUse, ctx.image).save(ctx.image, trap)))
        return;
    editor.close(own);
    editor.copy.clear();
    ctx.state.setPaste(false, false);
}

void tableParametersChanged(TableEditor& editor) {
    if (TableSession* s = editor.session()) emit s->tableReset();
}

void mnuCloseTbl_Click(TableEditor& editor) {
    AppContext& ctx = editor.ctx;
    if (ctx.state.tableOpen()) {
        switch (ctx.ui.message("Close Table", "Save table edits to buffer before closing?",
                               Buttons::YesNoCancel, Icon::Exclamation)) {
            case Answer::Yes:
                mnuSaveTbl_Click(editor);
                break;
            case Answer::No:
                editor.keepEdits("Close Timing Table answered No");
                break;
            default:
                return;
        }
    }
    editor.close();
    editor.copy.clear();
    ctx.state.setPaste(false, false);
}

bool validateCellEdit(TableEditor& editor, const QString& text) {
    TableSession* s = editor.session();
    if (!s) return false;
    const auto refusal = s->validateEdit(text);
    if (refusal) editor.ctx.ui.message("Timing Edit", *refusal, Buttons::Ok, Icon::Critical);
    return !refusal;
}

void setPasteForRightClick(TableEditor& editor, TableKind grid, const QString& clipboardText) {
    MainState& state = editor.ctx.state;
    const bool paste = editor.copy.pasteEnabled(clipboardText);
    const MainState::Menus m = state.menus();
    if (grid == TableKind::Table2D)
        state.setPaste(paste, m.paste3D);
    else
        state.setPaste(m.paste2D, paste);
}

}  // namespace velo
