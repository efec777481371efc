#include "table/table_history.h"

#include "core/run_error.h"
#include "data/data_file.h"
#include "data/history_records.h"

namespace velo {

QByteArray tableEditsBytes(const ConfigImage& image, const TableSession& table) {
    ConfigImage copy = image;
    const int t = copy.TrigTiming;
    // A value beyond any byte keeps its old byte; the cells that fit are kept.
    for (int r = 1; r <= table.rows(); ++r)
        for (int c = 1; c <= TableSession::kColumns; ++c) {
            const int at = table.kind() == TableKind::Table2D
                               ? ConfigImage::offset2D(c)
                               : ConfigImage::offset3D(c, mapIndexOfRow(r));
            try {
                copy.DataBuffer[at] = ConfigImage::encodeCell(t, table.value(r, c));
            } catch (const RunError&) {
            }
        }
    return history::savedBytes(copy);
}

BufferAutosave::BufferAutosave(TableEditor& editor, TuneHistory& history, int interval)
    : editor_(editor), history_(history) {
    // Dialogs and wizards change the parameters without a word: look at the whole
    // buffer on each tick; a write happens only when something changed.
    connect(&timer_, &QTimer::timeout, this, &BufferAutosave::check);
    timer_.start(interval);
    connect(&editor.ctx.state, &MainState::bufferWritten, this,
            [this] { settled_ = history::savedBytes(editor_.ctx.image); });
}

void BufferAutosave::check() {
    const ConfigImage& image = editor_.ctx.image;
    const TableSession* s = editor_.session();
    UnsavedWork w;
    if (!image.BufferEmpty || (s && s->hasEdits())) {
        w.base = history::rawBytes(image);
        w.edited = s ? tableEditsBytes(image, *s) : history::savedBytes(image);
        if (s && s->hasEdits()) {
            w.kind = s->kind();
            for (int r = 1; r <= s->rows(); ++r)
                for (int c = 1; c <= TableSession::kColumns; ++c) w.cells << s->value(r, c);
        }
        w.params = history::packParams(image);
    }
    const bool lose = !w.cells.isEmpty() || (!w.edited.isEmpty() && w.edited != settled_);
    if (!lose) {
        if (holds_ && history_.clearUnsavedWork()) holds_ = false;
        return;
    }
    if (holds_ && w.kind == written_.kind && w.base == written_.base &&
        w.edited == written_.edited && w.cells == written_.cells && w.params == written_.params)
        return;
    if (history_.keepUnsavedWork(w)) {
        written_ = w;
        holds_ = true;
    }
}

void restoreUnsavedWork(TableEditor& editor, const UnsavedWork& work) {
    AppContext& ctx = editor.ctx;
    ConfigImage& image = ctx.image;
    image.ClearEEPROMBuffer();
    image.loadImageBytes(imageBytesOf(work.base));
    // The parameters as they were in memory; a run of an older version kept only bytes.
    history::unpackParams(image, work.params);
    const bool withTable = work.kind && !work.cells.isEmpty();
    const TableKind kind = work.kind.value_or(TableKind::Table3D);
    if (withTable ? kind == TableKind::Table3D : bool(image.Table3DEnabled))
        ctx.window->chartSetup3D();
    ctx.state.setTableMenus(withTable || image.Table2DEnabled || image.Table3DEnabled);
    ctx.state.setTitleSuffix(withTable ? "Recovered Table Edits" : "Recovered Buffer");
    if (!withTable) return;
    editor.open(kind);
    TableSession* s = editor.session();
    if (!s) return;
    int i = 0;
    for (int r = 1; r <= s->rows(); ++r)
        for (int c = 1; c <= TableSession::kColumns; ++c, ++i)
            if (i < work.cells.size()) s->setValue(r, c, work.cells[i]);
    s->copyChartToGrid();
    editor.window->hideValueLabels();
    editor.window->formResize();
}

}  // namespace velo
