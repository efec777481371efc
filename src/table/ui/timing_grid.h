#pragma once

#include "table/cell_edit_gate.h"
#include "table/table_session.h"

#include <QPointer>
#include <QTableView>
#include <functional>

namespace velo {

class GridModel;

// VSFlexGrid1 / VSFlexGrid2: a timing table's grid. Row 0 and column 0 are fixed headers
// that can never be selected or edited; the data cells show the open table's texts and
// hand typed texts to it. Lengths are twips, as the window's layout gives them.
class TimingGrid : public QTableView {
    Q_OBJECT
  public:
    struct Selection {
        int top = 0, left = 0, bottom = 0, right = 0;
        bool operator==(const Selection&) const = default;
    };
    // Asked before a typed text is taken; false refuses it and the editor stays open.
    using Validator = std::function<bool(int row, int col, const QString& text)>;

    explicit TimingGrid(QWidget* parent = nullptr);
    ~TimingGrid() override;

    // Shape: rows x cols including the header row and column.
    void setShape(int rows, int cols);
    int rows() const;
    int cols() const;
    // The table whose texts the data cells show; nullptr shows the grid's own texts.
    void setSession(TableSession* session);
    TableSession* session() const { return session_; }

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    // The grid's own reading of a cell's text as a number (its leading number).
    double value(int row, int col) const;

    int row() const;
    int col() const;
    // (0, 0) leaves no data cell current.
    void setCurrentCell(int row, int col);

    Selection selection() const;
    // Selects from the current cell to (bottom, right), clipped to the data cells.
    void extendSelection(int bottom, int right);
    // Cells joined by tab, rows by carriage return.
    QString clip(const Selection& block) const;
    // Fills from the selection's top-left cell, row by row; nothing outside the grid.
    void setClip(const QString& text);

    void setValidator(Validator v) { validator_ = std::move(v); }
    // Opens the in-place editor on a data cell; `typed` replaces the cell's text.
    void editCell(int row, int col, const QString& typed = {});
    bool editing() const;
    // Takes the open editor's text as Enter would, before a command works on the table;
    // false when the text was refused and the editor stays open.
    bool finishEdit();

    // Layout in twips; sizes of 0 or below are taken as 0.
    static double twipsPerPixel();
    void moveTwips(int left, int top, int width, int height);
    int clientWidthTwips() const;
    int clientHeightTwips() const;
    void setRowHeightTwips(int height);
    void setColWidthTwips(int width);

  signals:
    void afterEdit(int row, int col);
    void currentCellChanged(int oldRow, int oldCol, int newRow, int newCol);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    bool isDataCell(int row, int col) const;

    GridModel* model_;
    QPointer<TableSession> session_;
    Validator validator_;
    CellEditGate gate_;
};

}  // namespace velo
