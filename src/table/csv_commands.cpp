#include "table/csv_commands.h"

#include "core/error_report.h"
#include "data/file_commands.h"
#include "table/image_diff.h"
#include "table/table_check.h"
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
    return image.tableInUse();
}

bool refuseWithoutTable(TableEditor& editor, const QString& title) {
    if (editor.session() || tableToEdit(editor.ctx.image)) return false;
    editor.ctx.ui.message(title,
                          editor.ctx.image.BufferEmpty ? "Data buffer empty." : kNoTableInUse,
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
    const QString csv = tableToCsv(*table, editor.mapSensorShown(), editor.pressureUnit());
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
    const QString csv = csvText(file.readAll());
    if (!editor.session()) mnuEditTimingTable_Click(editor);
    TableSession* table = editor.session();
    if (!table) return;
    auto read = readCsv(*table, csv, editor.mapSensorShown(), editor.pressureUnit());
    if (const auto* refused = std::get_if<QString>(&read)) {
        ctx.ui.message(kImportTitle, *refused, Buttons::Ok, Icon::Critical);
        return;
    }
    const CsvImport& import = std::get<CsvImport>(read);
    const QString name = QFileInfo(path).fileName();
    if (!import.cells.isEmpty() &&
        !editor.window->previewImport(importPreview(editor, import), name))
        return;
    applyCsv(*table, import);
    // Short: the status bar shares its line with the edit status.
    const auto n = import.cells.size();
    ctx.tell(n == 0   ? "Imported " + name + ": no cell changed"
             : n == 1 ? "Imported " + name + ": 1 cell changed"
                      : QString("Imported %1: %2 cells changed").arg(name).arg(n));
}

ImportPreview importPreview(const TableEditor& editor, const CsvImport& import) {
    const TableSession& table = *editor.session();
    ImportPreview p{editor.ctx.image, editor.ctx.image};
    for (ConfigImage* im : {&p.before, &p.after}) {
        // Only the open table, labelled as its grid is.
        im->Table2DEnabled = table.kind() == TableKind::Table2D;
        im->Table3DEnabled = table.kind() == TableKind::Table3D;
        im->MAPSensor = uint8_t(editor.mapSensorShown());
        for (int r = 1; r <= table.rows(); ++r)
            for (int c = 1; c <= TableSession::kColumns; ++c)
                cellAdvance(*im, table.kind(), r, c) = table.value(r, c);
    }
    for (const auto& cell : import.cells)
        cellAdvance(p.after, table.kind(), cell.row, cell.col) = cell.value;
    return p;
}

}  // namespace velo
