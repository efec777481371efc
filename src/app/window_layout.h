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

}  // namespace velo
