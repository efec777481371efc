#pragma once

#include "table/table_check.h"

#include <QDialog>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>

class QLabel;
class QListWidget;
class QSettings;

namespace velo {

class TableEditor;
class TimingGrid;

// Draws the grid as its own delegate does and outlines the cells the table check named;
// their tooltip gives the rule and the numbers. Editing stays with the grid's delegate.
class CheckMarkDelegate : public QStyledItemDelegate {
  public:
    explicit CheckMarkDelegate(TimingGrid* grid);

    void setFindings(const QVector<TableFinding>& findings, const CheckRules& rules);
    // The sentences of the findings at a cell, one a line; empty when it has none.
    QString tipAt(int row, int col) const;

    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& i) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& opt,
                          const QModelIndex& i) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& opt,
                   const QModelIndex& i) override;

  private:
    QPointer<QAbstractItemDelegate> inner_;
    QHash<int, QStringList> tips_;  // row * 100 + col
};

// Edit > Check Timing Table: the findings of the open table, marked in its grid and
// listed here; a click on one selects its cell. While it is shown it follows every
// edit, and it goes when the table closes.
class TableCheckPanel : public QDialog {
    Q_OBJECT
  public:
    TableCheckPanel(TableEditor& editor, TimingGrid* grid2D, TimingGrid* grid3D,
                    const QSettings& settings, QWidget* parent);

    // Checks the open table again and shows the result.
    void recheck();
    // The status line's count, said again whenever an edit changes it.
    void tellCount();
    QListWidget* list() const { return list_; }
    const QVector<TableFinding>& findings() const { return findings_; }

  private:
    TimingGrid* gridFor(TableKind kind) const;
    void follow(TableSession* session);
    void clearMarks();

    TableEditor& editor_;
    TimingGrid* grid2D_;
    TimingGrid* grid3D_;
    const QSettings& settings_;
    QLabel* summary_;
    QListWidget* list_;
    QVector<TableFinding> findings_;
    QVector<TableFinding> listed_;  // as the list shows them: the findings, then the notes
    QTimer again_;
    int toldCount_ = -1;
};

// The menu command: opens the table in the buffer when none is open, then checks it.
void mnuCheckTable_Click(TableEditor& editor, TimingGrid* grid2D, TimingGrid* grid3D,
                         const QSettings& settings, QWidget* window);

}  // namespace velo
