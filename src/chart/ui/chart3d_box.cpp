// The box the surface stands in: its back walls, floor grid and the three axes.
#include "chart/ui/chart3d_box.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace velo {

namespace {

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

}  // namespace

void paintBoxWalls(QPainter& p, const Chart3DGeometry& g, const ChartMetrics& m,
                   const ChartLook& look, const Chart3DContent& c) {
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

void paintBoxAxes(QPainter& p, const Chart3DGeometry& g, const ChartMetrics& m,
                  const ChartLook& look, const Chart3DContent& c, const QRectF& bounds) {
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

}  // namespace velo
