#include "table/csv_commands.h"

#include "core/error_report.h"
#include "data/file_commands.h"
#include "table/table_commands.h"
#include "table/table_csv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace velo {

namespace {
constexpr const char* kExportTitle = "Export Timing Table As CSV";
constexpr const char* kImportTitle = "Import Timing Table From CSV";

std::optional<TableKind> tableToEdit(const ConfigImage& image) {
    if (image.BufferEmpty) return std::nullopt;
    if (image.Table2DEnabled) return TableKind::Table2D;
    if (image.Table3DEnabled) return TableKind::Table3D;
    return std::nullopt;
}

bool refuseWithoutTable(TableEditor& editor, const QString& title) {
    if (editor.session() || tableToEdit(editor.ctx.image)) return false;
    editor.ctx.ui.message(
        title, editor.ctx.image.BufferEmpty ? "Data buffer empty." : "No timing table is in use.",
        Buttons::Ok, Icon::Exclamation);
    return true;
}
}  // namespace

void mnuExportCsv_Click(TableEditor& editor) {
    AppContext& ctx = editor.ctx;
    if (refuseWithoutTable(editor, kExportTitle)) return;
    std::unique_ptr<TableSession> closed;
    const TableSession* table = editor.session();
    if (!table) {
        closed = std::make_unique<TableSession>(*tableToEdit(ctx.image), ctx.image);
        table = closed.get();
    }
    Trap trap(ctx.ui);
    QString path, filter = kCsvFilter, exists;
    if (!trap.step([&] { path = FileSave(ctx.ui, kExportTitle, filter, exists); }) ||
        path.isEmpty())
        return;
    const QString csv = tableToCsv(*table, [&](int row) {
        return table->kind() == TableKind::Table2D ? QString("ADV") : editor.mapLabel(row);
    });
    if (const auto error = writeTextFile(path, csv)) {
        ctx.ui.message(kExportTitle, QDir::toNativeSeparators(path) + "\r\n" + *error, Buttons::Ok,
                       Icon::Critical);
        return;
    }
    ctx.tell("Exported the timing table to " + QFileInfo(path).fileName());
}

void mnuImportCsv_Click(TableEditor& editor) {
    AppContext& ctx = editor.ctx;
    if (refuseWithoutTable(editor, kImportTitle)) return;
    Trap trap(ctx.ui);
    QString path, filter = kCsvFilter;
    if (!trap.step([&] { path = FileOpen(ctx.ui, kImportTitle, filter); }) || path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ctx.ui.message(kImportTitle, QDir::toNativeSeparators(path) + "\r\n" + file.errorString(),
                       Buttons::Ok, Icon::Critical);
        return;
    }
    const QString csv = QString::fromUtf8(file.readAll());
    if (!editor.session()) mnuEditTimingTable_Click(editor);
    TableSession* table = editor.session();
    if (!table) return;
    if (const auto refused = importCsv(*table, csv)) {
        ctx.ui.message(kImportTitle, *refused, Buttons::Ok, Icon::Critical);
        return;
    }
    // Short: the status bar shares its line with the edit status.
    ctx.tell("Imported " + QFileInfo(path).fileName() + " into the timing table");
}

}  // namespace velo
