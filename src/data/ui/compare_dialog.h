#pragma once

#include "data/file_commands.h"

#include <QDialog>

class QTableWidget;

namespace velo {

// A read-only view of what differs between the buffer and a data file: the parameters
// side by side and the grid of each table compared, its changed cells marked.
class CompareDialog : public QDialog {
  public:
    // `tableEdits`: an open table holds edits that the buffer does not have yet.
    CompareDialog(const FileComparison& comparison, bool tableEdits, QWidget* parent = nullptr);

  private:
    QTableWidget* makeParameters(const ImageDiff& diff);
    QTableWidget* makeGrid(const FileComparison& c, TableKind table);
};

void showCompareDialog(const FileComparison& comparison, bool tableEdits, QWidget* parent);

}  // namespace velo
