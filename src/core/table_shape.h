#pragma once

namespace velo {

enum class TableKind { Table2D, Table3D };

// Both tables have 21 RPM columns, 0 to 10000 RPM in steps of 500; the 3D table has 8 MAP
// rows. MAP index 8 is the lowest pressure and sits in the last grid row, so the grid shows
// the indices upside down.
inline constexpr int kRpmColumns = 21;
inline constexpr int kMapRows = 8;
inline constexpr int kCells3D = kRpmColumns * kMapRows;

// Grid rows 1..8 of the 3D grid against MAP indices 1..8.
constexpr int mapIndexOfRow(int gridRow) {
    return kMapRows + 1 - gridRow;
}
constexpr int gridRowOfMapIndex(int mapIndex) {
    return kMapRows + 1 - mapIndex;
}

}  // namespace velo
