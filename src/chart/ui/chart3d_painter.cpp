#include "chart/ui/chart3d_painter.h"

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

// Which way the box is seen: the farthest corner's signs. The walls behind the surface
// meet there; the RPM and MAP axes run along the floor edges in front.
struct Sides {
    double backX, backY;  // +-1 and +-depth
    Sides(const Chart3DGeometry& g) {
        const double d = g.shape().depth;
        backX = g.depth(1, 0) >= g.depth(-1, 0) ? 1 : -1;
        backY = g.depth(0, d) >= g.depth(0, -d) ? d : -d;
    }
};

QPointF unit(QPointF v) {
    const double len = std::hypot(v.x(), v.y());
    return len > 0 ? v / len : QPointF(0, 1);
}

// A text box beside `at`, pushed `away` (a unit vector) by `distance` plus its own size.
QRectF boxBeside(QPointF at, QPointF away, double distance, QSizeF size) {
    const double extent =
        std::abs(away.x()) * size.width() / 2 + std::abs(away.y()) * size.height() / 2;
    const QPointF centre = at + away * (distance + extent);
    return QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size);
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

void paintWalls(QPainter& p, const Chart3DGeometry& g, const Metrics& m, const ChartLook& look,
                const Chart3DContent& c) {
    const Sides s(g);
    const double d = g.shape().depth;
    auto P = [&](double x, double y, double z) { return g.projectModel(x, y, z); };
    const QPen edgePen = m.thin(look.axis, 0.8);
    const QPen gridPen = m.thin(look.grid, 0.5);
    const double zLo = std::clamp(g.modelZ(c.lowerLimit), -1.0, 1.0);
    const double zHi = std::clamp(g.modelZ(c.upperLimit), -1.0, 1.0);

    // The two back walls, shaded where no drag can reach, and the floor; filled without
    // antialiasing (cheaper by far), the edges drawn over them afterwards.
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPolygonF wallX{P(s.backX, -d, -1), P(s.backX, d, -1), P(s.backX, d, 1),
                          P(s.backX, -d, 1)};
    const QPolygonF wallY{P(-1, s.backY, -1), P(1, s.backY, -1), P(1, s.backY, 1),
                          P(-1, s.backY, 1)};
    const QPolygonF floor{P(-1, -d, -1), P(1, -d, -1), P(1, d, -1), P(-1, d, -1)};
    p.setPen(Qt::NoPen);
    for (const QPolygonF* wall : {&wallX, &wallY, &floor}) {
        p.setBrush(look.wall);
        p.drawPolygon(*wall);
    }
    p.setBrush(look.outOfRange);
    p.drawPolygon(
        QPolygonF{P(s.backX, -d, zHi), P(s.backX, d, zHi), P(s.backX, d, 1), P(s.backX, -d, 1)});
    p.drawPolygon(
        QPolygonF{P(-1, s.backY, zHi), P(1, s.backY, zHi), P(1, s.backY, 1), P(-1, s.backY, 1)});
    p.drawPolygon(
        QPolygonF{P(s.backX, -d, -1), P(s.backX, d, -1), P(s.backX, d, zLo), P(s.backX, -d, zLo)});
    p.drawPolygon(
        QPolygonF{P(-1, s.backY, -1), P(1, s.backY, -1), P(1, s.backY, zLo), P(-1, s.backY, zLo)});

    // Grid: advance ticks round the walls, RPM ticks and MAP rows across the floor.
    p.setRenderHint(QPainter::Antialiasing, !c.draft);
    p.setPen(gridPen);
    for (double v : g.advanceAxis().ticks()) {
        const double z = g.modelZ(v);
        p.drawPolyline(
            QPolygonF{P(s.backX, -s.backY, z), P(s.backX, s.backY, z), P(-s.backX, s.backY, z)});
    }
    for (double rpm = 0; rpm <= 10000; rpm += 1000) {
        const double x = -1 + rpm / 5000;
        p.drawPolyline(QPolygonF{P(x, -s.backY, -1), P(x, s.backY, -1), P(x, s.backY, 1)});
    }
    for (int yi = 1; yi <= kMapRows; ++yi) {
        const double y = g.modelY(yi);
        p.drawPolyline(QPolygonF{P(-s.backX, y, -1), P(s.backX, y, -1), P(s.backX, y, 1)});
    }
    // The trigger timing, the upper limit, round the walls.
    QPen limitPen(look.series2, m.pt(look.series2Width), look.series2Style);
    limitPen.setCapStyle(Qt::FlatCap);
    p.setPen(limitPen);
    p.drawPolyline(
        QPolygonF{P(s.backX, -s.backY, zHi), P(s.backX, s.backY, zHi), P(-s.backX, s.backY, zHi)});
    p.setPen(edgePen);
    p.setBrush(Qt::NoBrush);
    for (const QPolygonF* wall : {&wallX, &wallY, &floor}) p.drawPolygon(*wall);
}

void paintAxes(QPainter& p, const Chart3DGeometry& g, const Metrics& m, const ChartLook& look,
               const Chart3DContent& c, const QRectF& bounds) {
    const Sides s(g);
    const double d = g.shape().depth;
    auto P = [&](double x, double y, double z) { return g.projectModel(x, y, z); };
    const QPen axisPen = m.thin(look.axis, 0.8);
    const QPointF floorCentre = P(0, 0, -1);
    p.setFont(m.font);
    // Where a corner brings two axes together, a label that would overlap one drawn
    // before it is left out: MAP rows first, then RPM, then advance.
    QVector<QRectF> taken;
    const double pad = m.gap * 0.6;
    auto clashes = [&](const QRectF& box) {
        return std::any_of(taken.begin(), taken.end(), [&](const QRectF& r) {
            return r.adjusted(-pad, -pad / 2, pad, pad / 2).intersects(box);
        });
    };

    // Labels along a floor edge, square off it on the side away from the floor, then
    // the title beyond them (kept inside the chart).
    auto edgeLabels = [&](QLineF edge, const QVector<std::pair<QPointF, QString>>& labels,
                          const QString& title) {
        QPointF away = unit(QPointF(-edge.dy(), edge.dx()));
        if (QPointF::dotProduct(away, edge.center() - floorCentre) < 0) away = -away;
        double reach = 0;
        for (const auto& [at, text] : labels) {
            const QSizeF size(m.fm.horizontalAdvance(text), m.fm.height());
            const QRectF box = boxBeside(at, away, m.tick + m.gap * 0.4, size);
            reach = std::max(
                reach, std::abs(away.x()) * size.width() + std::abs(away.y()) * size.height());
            p.setPen(axisPen);
            p.drawLine(at, at + away * m.tick);
            if (clashes(box)) continue;
            p.setPen(look.text);
            p.drawText(box, Qt::AlignCenter, text);
            taken << box;
        }
        const QSizeF size(m.fm.horizontalAdvance(title), m.fm.height());
        p.setPen(look.text);
        QRectF box = boxBeside(edge.center(), away, m.tick + m.gap + reach, size);
        box.moveLeft(std::max(bounds.left() + m.gap,
                              std::min(box.left(), bounds.right() - m.gap - box.width())));
        box.moveBottom(std::min(box.bottom(), bounds.bottom()));
        p.drawText(box, Qt::AlignCenter, title);
    };

    // MAP along the front edge parallel to y, one label a row where they fit.
    const double frontX = -s.backX;
    QVector<std::pair<QPointF, QString>> map;
    const double rowPixels = QLineF(P(frontX, -d, -1), P(frontX, d, -1)).length() / 7;
    const int step = rowPixels >= m.fm.height() * 1.1 ? 1 : 2;
    for (int yi = 1; yi <= kMapRows; yi += step)
        map.append(
            {P(frontX, g.modelY(yi), -1), mapLabelIn(gridRowOfMapIndex(yi), c.mapSensor, c.unit)});
    QString mapTitle = look.yTitle;
    mapTitle.replace("inHg", unitName(c.unit));
    edgeLabels(QLineF(P(frontX, -d, -1), P(frontX, d, -1)), map, mapTitle);

    // RPM along the front edge parallel to x.
    const double frontY = -s.backY;
    QVector<std::pair<QPointF, QString>> rpm;
    const double columnPixels = QLineF(P(-1, frontY, -1), P(1, frontY, -1)).length() / 20;
    const int every = columnPixels >= m.fm.horizontalAdvance("10000") * 1.3 ? 2 : 4;
    for (int k = 1; k <= kRpmColumns; k += every)
        rpm.append({P(Chart3DGeometry::modelX(k), frontY, -1), TableSession::rpmLabel(k)});
    edgeLabels(QLineF(P(-1, frontY, -1), P(1, frontY, -1)), rpm, look.xTitle);

    // Advance up the back corner that lies farthest left.
    double cornerX = s.backX, cornerY = -s.backY;
    if (P(-s.backX, s.backY, -1).x() < P(cornerX, cornerY, -1).x()) {
        cornerX = -s.backX;
        cornerY = s.backY;
    }
    const AxisScale& za = g.advanceAxis();
    double labelsLeft = P(cornerX, cornerY, -1).x();
    for (double v : za.ticks()) {
        const QPointF at = P(cornerX, cornerY, g.modelZ(v));
        p.setPen(axisPen);
        p.drawLine(at, at - QPointF(m.tick, 0));
        const QString text = formatFixed(v, za.decimals());
        const double w = m.fm.horizontalAdvance(text);
        const QRectF box(at.x() - m.tick - m.gap * 0.5 - w, at.y() - m.fm.height() / 2, w,
                         m.fm.height());
        labelsLeft = std::min(labelsLeft, box.left());
        if (clashes(box)) continue;
        p.setPen(look.text);
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
    }
    p.setPen(axisPen);
    p.drawLine(P(cornerX, cornerY, -1), P(cornerX, cornerY, 1));
    const QPointF mid = P(cornerX, cornerY, 0);
    const double length = QLineF(P(cornerX, cornerY, -1), P(cornerX, cornerY, 1)).length();
    p.save();
    p.setPen(look.text);
    p.translate(labelsLeft - m.gap * 0.6 - m.fm.height(), mid.y());
    p.rotate(-90);
    const double w = std::max(length, m.fm.horizontalAdvance(look.zTitle));
    p.drawText(QRectF(-w / 2, 0, w, m.fm.height()), Qt::AlignCenter, look.zTitle);
    p.restore();
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
    paintWalls(p, g, m, look, content);
    paintAxes(p, g, m, look, content, bounds);
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
