#pragma once

#include <cstdint>

namespace velo {

// The charts' mouse state, kept by the main window and handed to both charts: a double
// click on either chart, or the start of a turn of the 3D view, sets IgnoreChartMouse,
// and the next release on either chart clears it.
struct ChartDragState {
    // 2D chart: the point taken by the last left press (0, 0 when it took none).
    int32_t PickSeries = 0;
    int32_t PickPoint = 0;
    int32_t DragOriginY = 0;  // pixel y of the last press not ignored
    double DragStartValue = 0;
    // 3D chart: the point of the last press of either gesture (0, 0 when it took none)
    // and the offset the Shift drag chooses, a multiple of 0.2 within +-5 degrees.
    int32_t PickXIndex = 0;
    int32_t PickYIndex = 0;
    double ShiftOffset = 0;
    bool IgnoreChartMouse = false;
};

}  // namespace velo
