#include "chart/ui/chart2d_painter.h"

#include "chart/ui/chart_metrics.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace velo {

namespace {

using Metrics = ChartMetrics;

QRectF plotAreaIn(const QRectF& b, const Metrics& m, const ChartLook& look) {
    const double left =
        m.gap + m.fm.height() + m.gap + m.fm.horizontalAdvance("-00") + m.tick + m.gap * 0.5;
    const double top = look.title.isEmpty() ? m.gap * 2 : m.gap + m.titleFm.height() + m.gap;
    const double bottom =
        m.tick + m.gap * 0.5 + m.fm.height() + m.gap * 0.5 + m.fm.height() + m.gap;
    const double right = m.gap * 2;
    // Never inside out, however small the chart is laid out.
    const QRectF plot = b.adjusted(left, top, -right, -bottom);
    return QRectF(plot.topLeft(), plot.size().expandedTo(QSizeF(1, 1)));
}

Chart2DGeometry geometryOf(const QRectF& bounds, const Metrics& m, const ChartLook& look,
                           const Chart2DContent& content) {
    const auto [lo, hi] =
        advanceSpan(content.lowerLimit, content.upperLimit, {&content.advance, &content.limit});
    return Chart2DGeometry(plotAreaIn(bounds, m, look), lo, hi,
                           {m.fm.horizontalAdvance("10000") * 1.8, m.fm.height() * 2.5});
}

QPolygonF polyline(const Chart2DGeometry& g, const QVector<double>& values) {
    QPolygonF line;
    for (int k = 1; k <= std::min<int>(Chart2DGeometry::kPoints, int(values.size())); ++k)
        line << g.point(k, values[k - 1]);
    return line;
}

void paintAxes(QPainter& p, const Chart2DGeometry& g, const Metrics& m, const ChartLook& look,
               const QRectF& bounds) {
    const QRectF plot = g.plotArea();
    p.setFont(m.font);
    const QPen gridPen(look.grid, std::max(1.0, m.pt(0.5)));
    const QPen axisPen(look.axis, std::max(1.0, m.pt(0.8)));

    const AxisScale& ya = g.advanceAxis();
    for (double v : ya.ticks()) {
        const double y = g.y(v);
        p.setPen(v == 0 ? axisPen : gridPen);  // the zero line stands out a little
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(axisPen);
        p.drawLine(QPointF(plot.left() - m.tick, y), QPointF(plot.left(), y));
        p.setPen(look.text);
        const QRectF box(bounds.left(), y - m.fm.height() / 2,
                         plot.left() - m.tick - m.gap * 0.5 - bounds.left(), m.fm.height());
        p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, formatFixed(v, ya.decimals()));
    }
    const AxisScale& xa = g.rpmAxis();
    for (double rpm : xa.ticks()) {
        const double x = g.x(rpm);
        p.setPen(gridPen);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(axisPen);
        p.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + m.tick));
        p.setPen(look.text);
        const double w = m.fm.horizontalAdvance("100000");
        p.drawText(QRectF(x - w / 2, plot.bottom() + m.tick + m.gap * 0.5, w, m.fm.height()),
                   Qt::AlignHCenter | Qt::AlignTop, formatFixed(rpm, 0));
    }
    p.setPen(axisPen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);

    p.setPen(look.text);
    const double xTitleTop = plot.bottom() + m.tick + m.gap + m.fm.height();
    p.drawText(QRectF(plot.left(), xTitleTop, plot.width(), m.fm.height()), Qt::AlignCenter,
               look.xTitle);
    p.save();
    p.translate(bounds.left() + m.gap, plot.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), m.fm.height()), Qt::AlignCenter,
               look.yTitle);
    p.restore();
    if (!look.title.isEmpty()) {
        p.setFont(m.titleFont);
        p.drawText(QRectF(plot.left(), bounds.top() + m.gap, plot.width(), m.titleFm.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, look.title);
    }
}

// The key, right-aligned in the title row: a sample of each line and its name, the
// limit with its value.
void paintLegend(QPainter& p, const Chart2DGeometry& g, const Metrics& m, const ChartLook& look,
                 const Chart2DContent& c, const QRectF& bounds) {
    const QString names[] = {
        look.series1Title,
        c.limit.isEmpty()
            ? look.series2Title
            : QString("%1 %2\u00B0").arg(look.series2Title, formatFixed(c.limit.last(), 1))};
    const double sample = m.fm.height() * 2;
    const double y = bounds.top() + m.gap + m.titleFm.height() / 2;
    double right = g.plotArea().right();
    p.setFont(m.font);
    for (int s = 1; s >= 0; --s) {
        const double w = m.fm.horizontalAdvance(names[s]);
        p.setPen(look.text);
        p.drawText(QRectF(right - w, y - m.fm.height() / 2, w, m.fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, names[s]);
        const QLineF line(right - w - m.gap * 0.6 - sample, y, right - w - m.gap * 0.6, y);
        if (s == 0) {
            p.setPen(QPen(look.series1, m.pt(look.series1Width)));
            p.drawLine(line);
            p.setBrush(look.markerFill);
            p.drawEllipse(line.center(), m.pt(look.markerSize), m.pt(look.markerSize));
        } else {
            QPen pen(look.series2, m.pt(look.series2Width), look.series2Style);
            pen.setCapStyle(Qt::FlatCap);
            p.setPen(pen);
            p.drawLine(line);
        }
        right = line.x1() - m.gap * 2;
    }
}

// The parts of the plot no drag can reach: above the trigger timing, below the lower limit.
void paintOutOfRange(QPainter& p, const Chart2DGeometry& g, const ChartLook& look,
                     const Chart2DContent& c) {
    const QRectF plot = g.plotArea();
    const double top = std::clamp(g.y(c.upperLimit), plot.top(), plot.bottom());
    const double bottom = std::clamp(g.y(c.lowerLimit), plot.top(), plot.bottom());
    p.fillRect(QRectF(plot.left(), plot.top(), plot.width(), top - plot.top()), look.outOfRange);
    p.fillRect(QRectF(plot.left(), bottom, plot.width(), plot.bottom() - bottom), look.outOfRange);
}

void paintLimitLine(QPainter& p, const Chart2DGeometry& g, const Metrics& m, const ChartLook& look,
                    const Chart2DContent& c) {
    const QPolygonF line = polyline(g, c.limit);
    if (line.isEmpty()) return;
    QPen pen(look.series2, m.pt(look.series2Width), look.series2Style);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawPolyline(line);
}

void paintSeries(QPainter& p, const Chart2DGeometry& g, const Metrics& m, const ChartLook& look,
                 const Chart2DContent& c) {
    const QPolygonF line = polyline(g, c.advance);
    QPen pen(look.series1, m.pt(look.series1Width));
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(line);
    const double r = m.pt(look.markerSize);
    p.setPen(QPen(look.series1, m.pt(look.series1Width * 0.8)));
    for (int i = 0; i < line.size(); ++i) {
        const bool labelled = i + 1 == c.labelPoint;
        p.setBrush(labelled ? look.series1 : look.markerFill);
        const double ri = labelled ? r * 1.4 : r;
        p.drawEllipse(line[i], ri, ri);
    }
}

void paintValueLabel(QPainter& p, const Chart2DGeometry& g, const Metrics& m, const ChartLook& look,
                     const Chart2DContent& c, const QRectF& bounds) {
    if (c.labelPoint < 1 || c.labelPoint > c.advance.size()) return;
    const double v = c.advance[c.labelPoint - 1];
    const QString text = formatFixed(v, 1);
    p.setFont(m.titleFont);
    const QSizeF size(m.titleFm.horizontalAdvance(text) + m.gap * 1.6,
                      m.titleFm.height() + m.gap * 0.6);
    const QPointF at = g.point(c.labelPoint, v);
    const double clear = m.pt(look.markerSize) * 1.4 + m.gap * 0.5;
    // Above the point, on the side away from the curve: up-left where it rises to the
    // right, up-right where it fell from the left; below when the top is too close.
    const int k = c.labelPoint;
    double left = at.x() - size.width() / 2;
    if (k < c.advance.size() && c.advance[k] > v)
        left = at.x() - clear - size.width();
    else if (k > 1 && c.advance[k - 2] > v)
        left = at.x() + clear;
    left = std::clamp(left, bounds.left(), bounds.right() - size.width());
    double top = at.y() - clear - size.height();
    if (top < g.plotArea().top()) top = at.y() + clear;
    const QRectF box(QPointF(left, top), size);
    p.setPen(QPen(look.labelBorder, std::max(1.0, m.pt(0.8))));
    p.setBrush(look.labelBackground);
    p.drawRoundedRect(box, m.gap * 0.5, m.gap * 0.5);
    p.setPen(look.labelText);
    p.drawText(box, Qt::AlignCenter, text);
}

}  // namespace

Chart2DContent Chart2DContent::of(const TableSession& session, int labelPoint) {
    Chart2DContent c;
    for (int k = 1; k <= TableSession::kColumns; ++k) {
        c.advance << session.value(1, k);
        c.limit << session.limitLine(k);
    }
    c.lowerLimit = session.lowerLimit();
    c.upperLimit = session.upperLimit();
    c.labelPoint = labelPoint;
    return c;
}

Chart2DGeometry chart2DGeometry(const QRectF& bounds, const QPaintDevice* device,
                                const ChartLook& look, const Chart2DContent& content) {
    return geometryOf(bounds, Metrics(device, look), look, content);
}

void paintChart2DFrame(QPainter& p, const QRectF& bounds, const ChartLook& look,
                       const Chart2DContent& content, const Chart2DGeometry& g) {
    const Metrics m(p.device(), look);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(bounds, look.background);
    p.fillRect(g.plotArea(), look.plotBackground);
    paintOutOfRange(p, g, look, content);
    paintAxes(p, g, m, look, bounds);
    paintLegend(p, g, m, look, content, bounds);
    paintLimitLine(p, g, m, look, content);
    p.restore();
}

void paintChart2DData(QPainter& p, const QRectF& bounds, const ChartLook& look,
                      const Chart2DContent& content, const Chart2DGeometry& g) {
    const Metrics m(p.device(), look);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintSeries(p, g, m, look, content);
    paintValueLabel(p, g, m, look, content, bounds);
    p.restore();
}

void paintChart2D(QPainter& p, const QRectF& bounds, const ChartLook& look,
                  const Chart2DContent& content) {
    const Chart2DGeometry g = chart2DGeometry(bounds, p.device(), look, content);
    paintChart2DFrame(p, bounds, look, content, g);
    paintChart2DData(p, bounds, look, content, g);
}

}  // namespace velo
