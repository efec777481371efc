#pragma once

#include "chart/chart2d_geometry.h"
#include "chart/ui/chart_look.h"

#include <QRectF>
#include <QVector>

class QPainter;
class QPaintDevice;

namespace velo {

class TableSession;

// What the 2D chart shows: the table (series 1), the limit line (series 2), the window
// the drag keeps to, and the point data label 1 is attached to.
struct Chart2DContent {
    QVector<double> advance;
    QVector<double> limit;
    double lowerLimit = 0;
    double upperLimit = 0;
    int labelPoint = 0;  // 0: the label is hidden

    static Chart2DContent of(const TableSession& session, int labelPoint = 0);
};

// The geometry the chart has when drawn into `bounds` on `device` (its resolution sizes
// the fonts and so the room the axes take).
Chart2DGeometry chart2DGeometry(const QRectF& bounds, const QPaintDevice* device,
                                const ChartLook& look, const Chart2DContent& content);

// Draws the whole chart into `bounds` on any painter: widget, image, printer, PDF.
void paintChart2D(QPainter& painter, const QRectF& bounds, const ChartLook& look,
                  const Chart2DContent& content);

// The two layers of paintChart2D, for a view that keeps the first while a point is
// dragged: what changes only with the size, the look, the axes and the limits; then
// the table's curve and the value label.
void paintChart2DFrame(QPainter& painter, const QRectF& bounds, const ChartLook& look,
                       const Chart2DContent& content, const Chart2DGeometry& geometry);
void paintChart2DData(QPainter& painter, const QRectF& bounds, const ChartLook& look,
                      const Chart2DContent& content, const Chart2DGeometry& geometry);

}  // namespace velo
