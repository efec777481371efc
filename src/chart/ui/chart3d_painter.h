#pragma once

#include "table/pressure_units.h"

#include "chart/chart3d_geometry.h"
#include "chart/chart3d_gestures.h"
#include "chart/ui/chart_look.h"

#include <QRectF>
#include <QVector>

class QPainter;
class QPaintDevice;

namespace velo {

class TableSession;

// What the 3D chart shows: the 168 values in chart order ((y - 1) * 21 + x - 1, y the
// MAP index), the window a drag keeps to, the sensor the MAP axis is labelled for and
// data label 1.
struct Chart3DContent {
    QVector<double> values;
    int lowerLimit = 0;
    int upperLimit = 0;
    int mapSensor = 0;
    PressureUnit unit = PressureUnit::InHg;  // of the MAP axis
    Chart3DLabel label;
    // Drawn while the view turns: lines without antialiasing, for a quicker frame; the
    // picture settles when the turn ends.
    bool draft = false;

    double value(int xIndex, int yIndex) const {
        return values[(yIndex - 1) * kRpmColumns + xIndex - 1];
    }
    static Chart3DContent of(const TableSession& session, int mapSensor,
                             const Chart3DLabel& label = {});
};

// The geometry the chart has when drawn into `bounds` on `device` seen from `view`.
Chart3DGeometry chart3DGeometry(const QRectF& bounds, const QPaintDevice* device,
                                const ChartLook& look, const Chart3DContent& content,
                                ViewAngles view);

// Draws the whole chart into `bounds` on any painter: widget, image, printer, PDF.
void paintChart3D(QPainter& painter, const QRectF& bounds, const ChartLook& look,
                  const Chart3DContent& content, ViewAngles view);

// Its two layers, for a view that keeps the first while a point is dragged: the box,
// its walls, axes and titles; then the surface and the value label.
void paintChart3DFrame(QPainter& painter, const QRectF& bounds, const ChartLook& look,
                       const Chart3DContent& content, const Chart3DGeometry& geometry);
void paintChart3DData(QPainter& painter, const QRectF& bounds, const ChartLook& look,
                      const Chart3DContent& content, const Chart3DGeometry& geometry);

}  // namespace velo
