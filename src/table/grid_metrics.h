#pragma once

namespace velo {

// Row heights and column widths that fit a grid's client size (twips); they may come
// out at 0 or below for a tiny grid, and the grid takes them as they are.
int rowHeight2D(int clientHeight);
int rowHeight3D(int clientHeight);
int columnWidth(int clientWidth);

// Twips per screen pixel at a logical resolution (15 at 96 dpi).
double twipsPerPixel(double logicalDpi);

}  // namespace velo
