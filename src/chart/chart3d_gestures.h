#pragma once

#include "core/table_shape.h"

#include "chart/chart_drag_state.h"

#include <QPoint>
#include <QString>
#include <Qt>
#include <optional>

namespace velo {

class Chart3DGeometry;
class TableSession;

// Data label 1 of the 3D chart: attached to a point, showing the point's value or a
// text of its own (the offset), or hidden.
struct Chart3DLabel {
    int xIndex = 0;  // 0: hidden
    int yIndex = 0;
    std::optional<QString> text;  // none: the point's value, "#0.0"

    bool shown() const { return xIndex >= 1 && yIndex >= 1; }
    void hide() { *this = Chart3DLabel{}; }
};

// A grid cell the gesture makes current: (grid row of the y index, x index), or (0, 0) for none.
struct GridCell {
    int row = 0;
    int col = 0;
    bool operator==(const GridCell&) const = default;
};

// The two drag rules of the 3D chart, from the value under the mouse ("map").
// Plain drag: z on the 0.2-degree grid, halves to even, then limited by the drag rule.
double plainDragTarget(double z);
// Offset drag: 0.2 degree per half degree between the mouse and the point, within +-5.
double offsetDragValue(double z, double current);

// The 3D chart's mouse gestures on the open table, without a widget: the left drag
// moves one point, the Shift + left drag chooses an offset the release adds to every
// cell. Positions are the chart's pixels; the geometry is the one the chart is drawn with.
class Chart3DGestures {
  public:
    Chart3DGestures(ChartDragState& drag, TableSession& table, Chart3DLabel& label)
        : drag_(drag), table_(table), label_(label) {}

    // The grid cell to make current, if the press picks one or clears the selection.
    std::optional<GridCell> press(const Chart3DGeometry& g, Qt::MouseButton button,
                                  Qt::MouseButtons buttons, Qt::KeyboardModifiers keys, QPoint at);
    void move(const Chart3DGeometry& g, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys,
              QPoint at);
    // True when an offset release changed the whole table.
    bool release(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys);

  private:
    bool picked() const { return drag_.PickXIndex != 0 && drag_.PickYIndex != 0; }
    int row() const { return gridRowOfMapIndex(drag_.PickYIndex); }

    ChartDragState& drag_;
    TableSession& table_;
    Chart3DLabel& label_;
};

}  // namespace velo
