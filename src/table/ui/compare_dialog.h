#pragma once

#include "table/compare_file.h"

#include <QDialog>

class QLayout;
class QTableWidget;
class QTableWidgetItem;

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
    // Which image's values the changed cells show.
    QLayout* makeValueChoice();

    QVector<QTableWidgetItem*> changed_;
};

void showCompareDialog(const FileComparison& comparison, bool tableEdits, QWidget* parent);

}  // namespace velo
