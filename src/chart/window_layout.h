#pragma once

namespace velo {

// A control's place in the main window's client area, in twips.
struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// Form_Resize's geometry from the window's outer size W x H (twips): each chart on top,
// its grid below, the grid trimmed so it stays inside the client area.
struct FormLayout {
    TwipsRect chart;
    TwipsRect grid;
};
FormLayout formLayout(double W, double H);

// Row heights and column widths that fit a grid's client size (twips); they may come
// out at 0 or below for a tiny grid, and the grid takes them as they are.
int rowHeight2D(int clientHeight);
int rowHeight3D(int clientHeight);
int columnWidth(int clientWidth);

// Twips per screen pixel at a logical resolution (15 at 96 dpi).
double twipsPerPixel(double logicalDpi);

}  // namespace velo
