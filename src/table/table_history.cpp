#include "table/table_history.h"

#include "core/run_error.h"
#include "data/history_records.h"

namespace velo {

QByteArray tableEditsBytes(const ConfigImage& image, const TableSession& table) {
    ConfigImage copy = image;
    const int t = copy.TrigTiming;
    // A value beyond any byte keeps its old byte; the cells that fit are kept.
    for (int r = 1; r <= table.rows(); ++r)
        for (int c = 1; c <= TableSession::kColumns; ++c) {
            const int at = table.kind() == TableKind::Table2D ? ConfigImage::offset2D(c)
                                                              : ConfigImage::offset3D(c, 9 - r);
            try {
                copy.DataBuffer[at] = ConfigImage::encodeCell(t, table.value(r, c));
            } catch (const RunError&) {
            }
        }
    return history::savedBytes(copy);
}

TableAutosave::TableAutosave(TableEditor& editor, TuneHistory& history, int interval)
    : QObject(&editor), editor_(editor), history_(history), interval_(interval) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TableAutosave::write);
    connect(&editor, &TableEditor::sessionChanged, this, &TableAutosave::watch);
    watch(editor.session());
}

void TableAutosave::watch(TableSession* session) {
    timer_.stop();
    if (written_) history_.clearUnsavedTable();
    written_ = false;
    if (!session) return;
    connect(session, &TableSession::valueChanged, this, &TableAutosave::changed);
    connect(session, &TableSession::textChanged, this, &TableAutosave::changed);
    connect(session, &TableSession::tableReset, this, &TableAutosave::changed);
    if (session->hasEdits()) changed();  // a wizard's table
}

void TableAutosave::changed() {
    if (timer_.isActive()) return;
    const qint64 since = sinceWrite_.isValid() ? sinceWrite_.elapsed() : interval_;
    timer_.start(int(std::max<qint64>(0, interval_ - since)));
}

void TableAutosave::write() {
    const TableSession* s = editor_.session();
    if (!s) return;
    sinceWrite_.start();
    if (!s->hasEdits()) {
        if (written_) history_.clearUnsavedTable();
        written_ = false;
        return;
    }
    UnsavedTable t;
    t.kind = s->kind() == TableKind::Table2D ? 0 : 1;
    t.base = history::rawBytes(editor_.ctx.image);
    t.edited = tableEditsBytes(editor_.ctx.image, *s);
    for (int r = 1; r <= s->rows(); ++r)
        for (int c = 1; c <= TableSession::kColumns; ++c) t.cells << s->value(r, c);
    history_.keepUnsavedTable(t);
    written_ = true;
}

void restoreUnsavedTable(TableEditor& editor, const UnsavedTable& table) {
    AppContext& ctx = editor.ctx;
    ConfigImage& image = ctx.image;
    std::array<uint8_t, ConfigImage::kImageBytes> bytes{};
    std::copy_n(table.base.constData(), std::min<qsizetype>(table.base.size(), bytes.size()),
                bytes.begin());
    image.ClearEEPROMBuffer();
    image.setImageBytes(bytes);
    image.BufferEmpty = false;
    image.UpdateParams();
    const TableKind kind = table.kind == 0 ? TableKind::Table2D : TableKind::Table3D;
    if (kind == TableKind::Table3D) ctx.runChartSetup3D();
    ctx.state.setTableMenus(true);
    ctx.state.setTitleSuffix("Recovered Table Edits");
    editor.open(kind);
    TableSession* s = editor.session();
    if (!s) return;
    int i = 0;
    for (int r = 1; r <= s->rows(); ++r)
        for (int c = 1; c <= TableSession::kColumns; ++c, ++i)
            if (i < table.cells.size()) s->setValue(r, c, table.cells[i]);
    s->copyChartToGrid();
    if (editor.hideValueLabels) editor.hideValueLabels();
    if (editor.formResize) editor.formResize();
}

}  // namespace velo
