#pragma once

#include <QString>

class QPrinter;
class QWidget;

namespace velo {

class TableEditor;
struct BrandInfo;

// The printer the report goes to; Print Setup changes it for the rest of the run.
QPrinter& reportPrinter();

// Asks for the comment, then shows the pages in a print preview; printing from there
// prints the same pages on the chosen printer.
void mnuPrintTable_Click(QWidget* parent, TableEditor& editor, const BrandInfo& brand);
// The page setup dialog of the report's printer.
void mnuPrintSetup_Click(QWidget* parent);

}  // namespace velo
