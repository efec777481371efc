#pragma once

#include "data/config_image.h"

namespace velo {

class TableEditor;
struct CsvImport;

// The open table before and after an import, as two images that hold only it.
struct ImportPreview {
    ConfigImage before, after;
};

inline constexpr const char* kCsvFilter = "CSV files (*.csv)|*.csv|All Files (*.*)|*.*";

// File menu: "Export Timing Table As CSV..." writes the open table as the grid shows it,
// or the table in use when none is open.
void mnuExportCsv_Click(TableEditor& editor);
// File menu: "Import Timing Table From CSV..." reads a table into the open table (opening
// the table in use first) as one undo step, after the preview where the window shows one;
// a refused file changes nothing.
void mnuImportCsv_Click(TableEditor& editor);
ImportPreview importPreview(const TableEditor& editor, const CsvImport& import);

}  // namespace velo
