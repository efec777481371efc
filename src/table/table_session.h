#pragma once

#include "data/config_image.h"
#include "data/timing_limits.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

namespace velo {

class Trap;

// The open timing table: the working values the charts draw and drag (one per data
// cell) and the grid's cell texts, which may differ from the values until the grid is
// next filled from them (a typed "12" stays "12"). Cells are addressed as in the grid:
// row 1..rows(), column 1..kColumns (RPM column); 3D grid row r is MAP index mapIndexOfRow(r).
// Views draw it and forward gestures to it; they never write each other.
class TableSession : public QObject {
    Q_OBJECT
  public:
    static constexpr int kColumns = kRpmColumns;

    // Opens the table of `image` (Table2D or Table3D). The image outlives the table: its
    // TrigTiming of the moment gives the limits and the trigger line, even after the
    // parameters dialog changed it under the open table.
    TableSession(TableKind kind, const ConfigImage& image, QObject* parent = nullptr);

    TableKind kind() const { return kind_; }
    int rows() const { return kind_ == TableKind::Table2D ? 1 : kMapRows; }
    int trigTiming() const;
    // The window of the trigger timing of the moment: [lower, upper] whole degrees.
    int lowerLimit() const { return TimingWindow(trigTiming()).lower; }
    int upperLimit() const { return trigTiming(); }
    // `v` brought into the window by `rule` for a cell of this table.
    double limited(LimitRule rule, double v) const {
        return velo::limited(rule, kind_, trigTiming(), v);
    }

    double value(int row, int col) const { return values_[index(row, col)]; }
    QString text(int row, int col) const { return texts_[index(row, col)]; }
    // The value the table had when it was opened (what the buffer holds).
    double originalValue(int row, int col) const { return original_[index(row, col)]; }
    bool cellEdited(int row, int col) const;
    // The 2D chart's second series, the limit line: the trigger timing at every column.
    double limitLine(int) const { return trigTiming(); }
    // Any value or text changed since the table was opened, or a wizard's table.
    bool hasEdits() const;
    // Made by a wizard: not in the buffer until saved, edited or not.
    bool newTable = false;

    // Chart side: the working value only (a drag move).
    void setValue(int row, int col, double v);
    // Grid side: the text only.
    void setText(int row, int col, const QString& text);
    // Copy2DChartToGrid / Copy3DChartToGrid: every text from its value, "#0.0".
    void copyChartToGrid();
    // Copies the table array of `image` in again, as opening does.
    void reload(const ConfigImage& image);

    // The grid's check of a typed text: the message to show when it is refused.
    std::optional<QString> validateEdit(const QString& text) const;
    // An accepted edit: the text stays as typed, the value is its leading number.
    void acceptEdit(int row, int col, const QString& text);

    // The value a drag gives: 0.1 degree per pixel up, on the 0.2-degree grid, limited by
    // the drag rule.
    double dragValue(double startValue, int originY, int y) const;
    // The same before the limits.
    static double dragTarget(double startValue, int originY, int y);
    // A 2D chart drag of one cell to dragValue().
    void dragCell(int row, int col, double startValue, int originY, int y);
    // A command wanted `wanted` for the cell and the limits made it `got`: the action's
    // end tells how many cells were limited (limitNotice).
    void noteLimit(int row, int col, double wanted, double got);

    // The chart's values copied out into Table2D or Table3D, the buffer untouched. Inside
    // an action the arrays go back and forth with its undo step.
    void copyToTableArray(ConfigImage& image);
    // Writes the working values into the table array, then encodes the array into the
    // table region of `image`, each cell one statement of `trap`. False when the user
    // aborted.
    bool save(ConfigImage& image, Trap& trap) const;

    // Header texts.
    static QString rpmLabel(int col);  // "0" .. "10000"
    static QString mapLabel(int row, int mapSensor);

    // Undo history. One user action is one step that holds every value and text before
    // and after it, so an undo brings back the cell texts exactly as they were (a typed
    // "12" as "12"). Reopening the table (reload) clears it; Save and Close end the
    // session.
    QUndoStack* undoStack() { return &undoStack_; }
    // A gesture over several events (a chart drag from press to release) is one step.
    // Calls nest; the outermost end pushes the step, only when something changed.
    void beginAction(const QString& name);
    void endAction();
    void runAction(const QString& name, const std::function<void()>& action);
    // Undo and Redo of the Edit menu; they first end a gesture still open.
    void undo();
    void redo();

    struct Cells {
        QVector<double> values;
        QVector<QString> texts;
        bool operator==(const Cells&) const = default;
    };
    Cells cells() const { return {values_, texts_}; }
    // Puts every value and text back, signalling each cell that changes.
    void restoreCells(const Cells& cells);

  signals:
    void valueChanged(int row, int col);
    void textChanged(int row, int col);
    // Every cell may have changed (reload, copyChartToGrid).
    void tableReset();
    // An action ended that limited cells: the status bar's word about it.
    void limitNotice(const QString& text);

  private:
    int index(int row, int col) const { return (row - 1) * kColumns + (col - 1); }
    void writeArray(ConfigImage& image) const;

    TableKind kind_;
    const ConfigImage* image_;
    QVector<double> values_, original_;
    QVector<QString> texts_, originalTexts_;

    QUndoStack undoStack_;
    Cells actionStart_;
    // The table arrays as an action found them, when it wrote them.
    ConfigImage* arraysImage_ = nullptr;
    std::shared_ptr<const ConfigImage> arraysStart_;
    QString actionName_;
    int actionDepth_ = 0;
    QMap<int, double> limited_;  // cell index -> the limit it was held at, this action
};

}  // namespace velo
