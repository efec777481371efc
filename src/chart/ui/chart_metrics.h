#pragma once

#include "chart/ui/chart_look.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>

namespace velo {

// Sizes in points turned into the device's pixels, and the fonts for it.
struct ChartMetrics {
    double px;  // pixels per point
    QFont font, titleFont;
    QFontMetricsF fm, titleFm;
    double gap, tick;

    ChartMetrics(const QPaintDevice* device, const ChartLook& look)
        : px((device ? device->logicalDpiY() : 96) / 72.0),
          font(fontOf(look.fontFamily, look.fontSize)),
          titleFont(fontOf(look.fontFamily, look.titleSize, true)),
          fm(font, device),
          titleFm(titleFont, device),
          gap(fm.height() * 0.5),
          tick(fm.height() * 0.35) {}

    static QFont fontOf(const QString& family, double points, bool bold = false) {
        QFont f(family);
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }
    double pt(double points) const { return points * px; }
    // A line `points` wide; on a screen that comes to a pixel or less, drawn as a
    // hairline, which the raster engine strokes many times faster.
    QPen thin(const QColor& colour, double points) const {
        const double w = pt(points);
        QPen pen(colour, w <= 1.2 ? 1.0 : w);
        pen.setCosmetic(w <= 1.2);
        return pen;
    }
};

}  // namespace velo
