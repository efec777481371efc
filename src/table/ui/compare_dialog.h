#pragma once

#include "table/compare_file.h"
#include "table/pressure_units.h"

#include <QDialog>

class QLabel;
class QSettings;
class QLayout;
class QTableWidget;
class QTableWidgetItem;

namespace velo {

class TableEditor;
struct ImportPreview;

// Two decoded images to compare and what they are called: in the title, the first line,
// the column heads and the choice of values shown.
struct CompareSides {
    ConfigImage a, b;
    QString labelA = "Buffer", labelB = "File";
    QString title = "Compare With File";
    QString intro;  // the first line
    PressureUnit unit = PressureUnit::InHg;
    // A question before B replaces A: the differences first, OK and Cancel.
    bool preview = false;

    static CompareSides ofFile(const FileComparison& c, PressureUnit unit = PressureUnit::InHg);
};

// A read-only view of what differs between two images: the parameters side by side and
// the grid of each table compared, its changed cells marked. The cells show either
// image's values or B minus A on a diverging colour scale.
class CompareDialog : public QDialog {
  public:
    // `tableEdits`: an open table holds edits that image A does not have yet.
    CompareDialog(const CompareSides& sides, bool tableEdits, QWidget* parent = nullptr);
    CompareDialog(const FileComparison& comparison, bool tableEdits, QWidget* parent = nullptr)
        : CompareDialog(CompareSides::ofFile(comparison), tableEdits, parent) {}

  private:
    QTableWidget* makeParameters(const ImageDiff& diff);
    QTableWidget* makeGrid(const ImageDiff& diff, TableKind table);
    // Each column as wide as its widest text in any of the values shown.
    void fitGrids();
    // Which image's values the changed cells show, or their difference.
    QLayout* makeValueChoice();
    void showValues(int shown);

    CompareSides sides_;
    QVector<QTableWidgetItem*> changed_, unchanged_;
    QVector<QTableWidget*> grids_;
    QLabel* legend_ = nullptr;
};

void showCompareDialog(const CompareSides& sides, bool tableEdits, QWidget* parent);
// The cells a CSV import changes in the open table, as differences; true on OK, or at once
// with [CsvImport] Preview=false.
CompareSides importSides(const TableEditor& editor, const ImportPreview& preview,
                         const QString& file);
bool confirmImport(const TableEditor& editor, const ImportPreview& preview, const QString& file,
                   const QSettings& settings, QWidget* parent);
// The buffer against `c`, MAP in the editor's unit, noting an open table's unsaved edits.
void showBufferComparison(TableEditor& editor, const FileComparison& c, QWidget* parent);
// File menu: "Compare With File..." against the buffer, MAP in the editor's unit, over
// the active window.
void compareWithFile(TableEditor& editor);

// The colour of a difference of `degrees`: white at 0, towards red for more advance and
// blue for less, full at 5 degrees.
QColor differenceColour(double degrees);

}  // namespace velo
