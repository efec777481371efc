#include "chart/chart3d_gestures.h"

#include "chart/chart3d_geometry.h"
#include "core/numeric.h"
#include "table/table_session.h"

namespace velo {

namespace {

enum class Gesture { Plain, Offset, Other };

// "Button 1" is the left button alone; shift state 0 is no key, 1 is Shift alone.
Gesture gestureOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
    if (buttons != Qt::LeftButton) return Gesture::Other;
    switch (keys & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
        case Qt::NoModifier:
            return Gesture::Plain;
        case Qt::ShiftModifier:
            return Gesture::Offset;
        default:
            return Gesture::Other;
    }
}

}  // namespace

double plainDragTarget(double z) {
    return double(roundHalfEven(z * 5)) * 0.2;
}

double offsetDragValue(double z, double current) {
    double offset = double(roundHalfEven(2 * (z - current))) * 0.2;
    if (offset < -5)
        offset = -5;
    else if (offset > 5)
        offset = 5;
    return offset;
}

std::optional<GridCell> Chart3DGestures::press(const Chart3DGeometry& g, Qt::MouseButton button,
                                               Qt::MouseButtons buttons, Qt::KeyboardModifiers keys,
                                               QPoint at) {
    if (drag_.IgnoreChartMouse) return std::nullopt;
    const Gesture gesture = button == Qt::LeftButton ? gestureOf(buttons, keys) : Gesture::Other;
    if (gesture == Gesture::Other) return std::nullopt;  // the pick stays as it was
    if (gesture == Gesture::Offset) drag_.ShiftOffset = 0;
    QVector<double> values;
    for (int m = 1; m <= kMapRows; ++m)
        for (int k = 1; k <= TableSession::kColumns; ++k)
            values << table_.value(gridRowOfMapIndex(m), k);
    const Chart3DPick pick = g.pick(at, values);
    if (!pick.takesPoint()) {
        drag_.PickXIndex = 0;
        drag_.PickYIndex = 0;
        if (gesture == Gesture::Plain) return std::nullopt;
        return GridCell{};
    }
    drag_.PickXIndex = pick.xIndex;
    drag_.PickYIndex = pick.yIndex;
    label_.xIndex = pick.xIndex;
    label_.yIndex = pick.yIndex;
    if (gesture == Gesture::Plain) {
        label_.text.reset();
        return GridCell{row(), drag_.PickXIndex};
    }
    label_.text = "0.0";
    // No table cell is selected while an offset is chosen for all of them.
    return GridCell{};
}

void Chart3DGestures::move(const Chart3DGeometry& g, Qt::MouseButtons buttons,
                           Qt::KeyboardModifiers keys, QPoint at) {
    if (drag_.IgnoreChartMouse || !picked()) return;
    const Gesture gesture = gestureOf(buttons, keys);
    if (gesture == Gesture::Other) return;
    const double z = g.map(drag_.PickXIndex, drag_.PickYIndex, at.y());
    if (gesture == Gesture::Plain) {
        const double v = table_.limited(LimitRule::Drag, plainDragTarget(z));
        table_.noteLimit(row(), drag_.PickXIndex, plainDragTarget(z), v);
        table_.setValue(row(), drag_.PickXIndex, v);
        label_.text.reset();
    } else {
        // The values stay as they are until the release.
        drag_.ShiftOffset = offsetDragValue(z, table_.value(row(), drag_.PickXIndex));
        label_.text = formatFixed(drag_.ShiftOffset, 1);
    }
}

bool Chart3DGestures::release(Qt::MouseButton button, Qt::MouseButtons buttons,
                              Qt::KeyboardModifiers keys) {
    if (drag_.IgnoreChartMouse) {
        drag_.IgnoreChartMouse = false;
        return false;
    }
    if (button != Qt::LeftButton || buttons != Qt::NoButton) return false;
    const Gesture gesture = gestureOf(Qt::LeftButton, keys);
    if (gesture == Gesture::Plain && drag_.PickXIndex >= 1 && drag_.PickYIndex >= 1) {
        table_.setText(row(), drag_.PickXIndex,
                       formatFixed(table_.value(row(), drag_.PickXIndex), 1));
        label_.hide();
    } else if (gesture == Gesture::Offset && picked()) {
        for (int i = 0; i < kCells3D; ++i) {
            const int col = i % kRpmColumns + 1, r = i / kRpmColumns + 1;
            const double v =
                table_.limited(LimitRule::Drag, drag_.ShiftOffset + table_.value(r, col));
            table_.noteLimit(r, col, table_.value(r, col) + drag_.ShiftOffset, v);
            table_.setValue(r, col, v);
        }
        label_.hide();
        table_.copyChartToGrid();  // Copy3DChartToGrid
        return true;
    }
    return false;
}

}  // namespace velo
