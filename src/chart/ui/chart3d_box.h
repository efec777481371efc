#pragma once

#include "chart/ui/chart3d_painter.h"
#include "chart/ui/chart_metrics.h"

namespace velo {

// The 3D chart's box, drawn with its frame layer: the walls and floor with their grid and
// the limit line, then the axes with their ticks, labels and titles.
void paintBoxWalls(QPainter& p, const Chart3DGeometry& g, const ChartMetrics& m,
                   const ChartLook& look, const Chart3DContent& c);
void paintBoxAxes(QPainter& p, const Chart3DGeometry& g, const ChartMetrics& m,
                  const ChartLook& look, const Chart3DContent& c, const QRectF& bounds);

}  // namespace velo
