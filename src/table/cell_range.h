#pragma once

#include <algorithm>

namespace velo {

// A block of grid cells as the grid reports its selection: top <= bottom, left <= right,
// data cells only (row 1..rows, column 1..21).
struct CellRange {
    int top = 1, left = 1, bottom = 1, right = 1;

    int rowCount() const { return bottom - top + 1; }
    int colCount() const { return right - left + 1; }
    bool operator==(const CellRange&) const = default;

    // The part that lies on a grid of `rows` x `cols` data cells.
    CellRange clippedTo(int rows, int cols) const {
        return {top, left, std::min(bottom, rows), std::min(right, cols)};
    }
    template <typename F>
    void forEach(F&& f) const {
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c) f(r, c);
    }
};

}  // namespace velo
