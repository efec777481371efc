#include "chart/ui/chart3d_painter.h"

#include "chart/ui/chart3d_box.h"
#include "chart/ui/chart_metrics.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace velo {

namespace {

using Metrics = ChartMetrics;

QRectF plotAreaIn(const QRectF& b, const Metrics& m, const ChartLook& look) {
    const double top = look.title.isEmpty() ? m.gap : m.gap + m.titleFm.height() + m.gap * 0.5;
    const QRectF plot = b.adjusted(m.gap, top, -m.gap, -m.gap);
    return QRectF(plot.topLeft(), plot.size().expandedTo(QSizeF(1, 1)));
}

// Room around the box for the tick labels and titles, on every side: which sides the
// axes take depends on the view.
QRectF fitAreaIn(const QRectF& plot, const Metrics& m) {
    const double side = m.fm.horizontalAdvance("-00.0") + m.tick + m.gap * 2 + m.fm.height();
    const double bottom = m.tick + m.gap * 2 + m.fm.height() * 2.2;
    const double top = m.fm.height() * 2;  // the value label over the highest point
    const QRectF fit = plot.adjusted(side, top, -side, -bottom);
    return QRectF(fit.topLeft(), fit.size().expandedTo(QSizeF(1, 1)));
}

Chart3DGeometry geometryOf(const QRectF& bounds, const Metrics& m, const ChartLook& look,
                           const Chart3DContent& content, ViewAngles view) {
    const QRectF plot = plotAreaIn(bounds, m, look);
    const QRectF fit = fitAreaIn(plot, m);
    const BoxShape shape{look.boxDepth, look.boxHeight};
    const auto [lo, hi] = advanceSpan(content.lowerLimit, content.upperLimit, {&content.values});
    // The box's height in pixels does not depend on the scale's numbers.
    const double axisPixels =
        2 * shape.height * Chart3DGeometry(plot, fit, view, shape, {}).scale();
    const int ticks = std::max(2, int(axisPixels / (m.fm.height() * 2.2)) + 1);
    return Chart3DGeometry(plot, fit, view, shape, niceScale(lo - 0.5, hi + 0.5, ticks));
}

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// The surface's colour for an advance: low, mid and high spread over the drag window.
QColor colourOf(double v, const ChartLook& look, const Chart3DContent& c) {
    const double span = std::max(1, c.upperLimit - c.lowerLimit);
    const double t = std::clamp((v - c.lowerLimit) / span, 0.0, 1.0);
    return t < 0.5 ? mix(look.surfaceLow, look.surfaceMid, t * 2)
                   : mix(look.surfaceMid, look.surfaceHigh, (t - 0.5) * 2);
}

void paintTitle(QPainter& p, const QRectF& bounds, const Metrics& m, const ChartLook& look,
                const Chart3DContent& c) {
    if (look.title.isEmpty()) return;
    p.setPen(look.text);
    p.setFont(m.titleFont);
    const QRectF row(bounds.left() + m.gap, bounds.top() + m.gap * 0.5, bounds.width() - 2 * m.gap,
                     m.titleFm.height());
    p.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, look.title);
    // The key: the limit line and the colour scale over the drag window.
    p.setFont(m.font);
    const QString limit =
        QString("%1 %2\u00B0").arg(look.series2Title, formatFixed(c.upperLimit, 1));
    const QString lo = formatFixed(c.lowerLimit, 0), hi = formatFixed(c.upperLimit, 0);
    const double barW = m.fm.height() * 7, y = row.center().y();
    double right = row.right();
    p.drawText(QRectF(right - m.fm.horizontalAdvance(hi), y - m.fm.height() / 2,
                      m.fm.horizontalAdvance(hi), m.fm.height()),
               Qt::AlignCenter, hi);
    right -= m.fm.horizontalAdvance(hi) + m.gap * 0.5;
    const QRectF bar(right - barW, y - m.fm.height() * 0.3, barW, m.fm.height() * 0.6);
    QLinearGradient grad(bar.topLeft(), bar.topRight());
    grad.setColorAt(0, look.surfaceLow);
    grad.setColorAt(0.5, look.surfaceMid);
    grad.setColorAt(1, look.surfaceHigh);
    p.fillRect(bar, grad);
    p.setPen(QPen(look.axis, std::max(1.0, m.pt(0.5))));
    p.drawRect(bar);
    right = bar.left() - m.gap * 0.5;
    p.setPen(look.text);
    p.drawText(QRectF(right - m.fm.horizontalAdvance(lo), y - m.fm.height() / 2,
                      m.fm.horizontalAdvance(lo), m.fm.height()),
               Qt::AlignCenter, lo);
    right -= m.fm.horizontalAdvance(lo) + m.gap * 2;
    const double lw = m.fm.horizontalAdvance(limit);
    p.drawText(QRectF(right - lw, y - m.fm.height() / 2, lw, m.fm.height()), Qt::AlignCenter,
               limit);
    QPen pen(look.series2, m.pt(look.series2Width), look.series2Style);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    const double x1 = right - lw - m.gap * 0.6;
    p.drawLine(QPointF(x1 - m.fm.height() * 2, y), QPointF(x1, y));
}

void paintSurface(QPainter& p, const Chart3DGeometry& g, const Metrics& m, const ChartLook& look,
                  const Chart3DContent& c) {
    struct Cell {
        double depth;
        int k, yi;
    };
    QVector<Cell> cells;
    cells.reserve((kRpmColumns - 1) * (kMapRows - 1));
    for (int yi = 1; yi < kMapRows; ++yi)
        for (int k = 1; k < kRpmColumns; ++k)
            cells.append({g.depth((Chart3DGeometry::modelX(k) + Chart3DGeometry::modelX(k + 1)) / 2,
                                  (g.modelY(yi) + g.modelY(yi + 1)) / 2),
                          k, yi});
    // Back to front: a nearer cell covers a farther one.
    std::sort(cells.begin(), cells.end(),
              [](const Cell& a, const Cell& b) { return a.depth > b.depth; });
    QPen line = m.thin(look.surfaceLine, look.surfaceLineWidth);
    line.setJoinStyle(Qt::RoundJoin);
    // Light from above and slightly ahead: faces tilted away from it come out darker.
    const double lx = -0.3, ly = -0.5, lz = 0.81;
    const double h = g.shape().height, d = g.shape().depth;
    for (const Cell& cell : cells) {
        const int k = cell.k, yi = cell.yi;
        const double v00 = c.value(k, yi), v10 = c.value(k + 1, yi);
        const double v11 = c.value(k + 1, yi + 1), v01 = c.value(k, yi + 1);
        // The face's normal in drawn proportions: x step 0.1, y step 2 d / 7.
        const double dzdx =
            h * (g.modelZ(v10) + g.modelZ(v11) - g.modelZ(v00) - g.modelZ(v01)) / 2 / 0.1;
        const double dzdy =
            h * (g.modelZ(v01) + g.modelZ(v11) - g.modelZ(v00) - g.modelZ(v10)) / 2 / (2 * d / 7);
        const double n = std::sqrt(dzdx * dzdx + dzdy * dzdy + 1);
        const double lit = std::clamp((-dzdx * lx - dzdy * ly + lz) / n, 0.0, 1.0);
        const QColor base = colourOf((v00 + v10 + v11 + v01) / 4, look, c);
        const QColor fill = mix(QColor(0x20, 0x24, 0x2a), base, 0.55 + 0.45 * lit);
        const QPolygonF quad{g.project(k, yi, v00), g.project(k + 1, yi, v10),
                             g.project(k + 1, yi + 1, v11), g.project(k, yi + 1, v01)};
        // Filled without antialiasing, which costs the raster engine several times
        // more; the antialiased grid line drawn over the edge smooths it. The line is
        // blended into the face by hand for the same reason.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawPolygon(quad);
        p.setRenderHint(QPainter::Antialiasing, !c.draft);
        line.setColor(mix(look.surfaceLine, fill, 0.45));
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(quad);
    }
}

void paintValueLabel(QPainter& p, const Chart3DGeometry& g, const Metrics& m, const ChartLook& look,
                     const Chart3DContent& c, const QRectF& bounds) {
    const Chart3DLabel& l = c.label;
    if (!l.shown() || l.xIndex > kRpmColumns || l.yIndex > kMapRows) return;
    const double v = c.value(l.xIndex, l.yIndex);
    const QPointF at = g.project(l.xIndex, l.yIndex, v);
    const double r = m.pt(look.markerSize);
    p.setPen(QPen(look.labelBorder, m.pt(look.series1Width * 0.8)));
    p.setBrush(look.labelBackground);
    p.drawEllipse(at, r * 1.3, r * 1.3);
    const QString text = l.text ? *l.text : formatFixed(v, 1);
    p.setFont(m.titleFont);
    const QSizeF size(m.titleFm.horizontalAdvance(text) + m.gap * 1.6,
                      m.titleFm.height() + m.gap * 0.6);
    const double clear = r * 1.3 + m.gap * 0.5;
    double top = at.y() - clear - size.height();
    if (top < bounds.top()) top = at.y() + clear;
    const double left =
        std::max(bounds.left(), std::min(at.x() - size.width() / 2, bounds.right() - size.width()));
    const QRectF box(QPointF(left, top), size);
    p.setPen(QPen(look.labelBorder, std::max(1.0, m.pt(0.8))));
    p.drawRoundedRect(box, m.gap * 0.5, m.gap * 0.5);
    p.setPen(look.labelText);
    p.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

Chart3DContent Chart3DContent::of(const TableSession& session, int mapSensor,
                                  const Chart3DLabel& label) {
    Chart3DContent c;
    c.values.reserve(kCells3D);
    for (int yi = 1; yi <= kMapRows; ++yi)
        for (int k = 1; k <= TableSession::kColumns; ++k)
            c.values << session.value(gridRowOfMapIndex(yi), k);
    c.lowerLimit = session.lowerLimit();
    c.upperLimit = session.upperLimit();
    c.mapSensor = mapSensor;
    c.label = label;
    return c;
}

Chart3DGeometry chart3DGeometry(const QRectF& bounds, const QPaintDevice* device,
                                const ChartLook& look, const Chart3DContent& content,
                                ViewAngles view) {
    return geometryOf(bounds, Metrics(device, look), look, content, view);
}

void paintChart3DFrame(QPainter& p, const QRectF& bounds, const ChartLook& look,
                       const Chart3DContent& content, const Chart3DGeometry& g) {
    const Metrics m(p.device(), look);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, !content.draft);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(bounds, look.background);
    paintTitle(p, bounds, m, look, content);
    paintBoxWalls(p, g, m, look, content);
    paintBoxAxes(p, g, m, look, content, bounds);
    p.restore();
}

void paintChart3DData(QPainter& p, const QRectF& bounds, const ChartLook& look,
                      const Chart3DContent& content, const Chart3DGeometry& g) {
    if (content.values.size() < kCells3D) return;
    const Metrics m(p.device(), look);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, !content.draft);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintSurface(p, g, m, look, content);
    paintValueLabel(p, g, m, look, content, bounds);
    p.restore();
}

void paintChart3D(QPainter& p, const QRectF& bounds, const ChartLook& look,
                  const Chart3DContent& content, ViewAngles view) {
    const Chart3DGeometry g = chart3DGeometry(bounds, p.device(), look, content, view);
    paintChart3DFrame(p, bounds, look, content, g);
    paintChart3DData(p, bounds, look, content, g);
}

}  // namespace velo
