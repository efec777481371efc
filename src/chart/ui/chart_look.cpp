#include "chart/ui/chart_look.h"

#include "chart/chart3d_geometry.h"

#include <QFile>
#include <QHash>
#include <QTextStream>
#include <functional>

namespace velo {

namespace {

using Setter = std::function<bool(ChartLook&, const QString&)>;

Setter text(QString ChartLook::*field) {
    return [field](ChartLook& l, const QString& v) {
        l.*field = v;
        return true;
    };
}

Setter number(double ChartLook::*field) {
    return [field](ChartLook& l, const QString& v) {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || d <= 0 || d > 100) return false;
        l.*field = d;
        return true;
    };
}

Setter colour(QColor ChartLook::*field) {
    return [field](ChartLook& l, const QString& v) {
        const QColor c(v);
        if (!c.isValid()) return false;
        l.*field = c;
        return true;
    };
}

constexpr double kMinElevation = Chart3DGeometry::kMinElevation;
constexpr double kMaxElevation = Chart3DGeometry::kMaxElevation;

Setter angle(double ChartLook::*field, double lo, double hi) {
    return [=](ChartLook& l, const QString& v) {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || d < lo || d > hi) return false;
        l.*field = d;
        return true;
    };
}

bool penStyle(ChartLook& l, const QString& v) {
    static const QHash<QString, Qt::PenStyle> styles = {
        {"solid", Qt::SolidLine}, {"dash", Qt::DashLine}, {"dot", Qt::DotLine}};
    if (!styles.contains(v)) return false;
    l.series2Style = styles[v];
    return true;
}

const QHash<QString, Setter>& setters() {
    static const QHash<QString, Setter> keys = {
        {"title", text(&ChartLook::title)},
        {"x.title", text(&ChartLook::xTitle)},
        {"y.title", text(&ChartLook::yTitle)},
        {"series1.title", text(&ChartLook::series1Title)},
        {"series2.title", text(&ChartLook::series2Title)},
        {"font.family", text(&ChartLook::fontFamily)},
        {"font.size", number(&ChartLook::fontSize)},
        {"title.size", number(&ChartLook::titleSize)},
        {"background", colour(&ChartLook::background)},
        {"plot.background", colour(&ChartLook::plotBackground)},
        {"plot.out_of_range", colour(&ChartLook::outOfRange)},
        {"grid.color", colour(&ChartLook::grid)},
        {"axis.color", colour(&ChartLook::axis)},
        {"text.color", colour(&ChartLook::text)},
        {"series1.color", colour(&ChartLook::series1)},
        {"series1.width", number(&ChartLook::series1Width)},
        {"series1.marker", number(&ChartLook::markerSize)},
        {"series1.marker_fill", colour(&ChartLook::markerFill)},
        {"series2.color", colour(&ChartLook::series2)},
        {"series2.width", number(&ChartLook::series2Width)},
        {"series2.style", penStyle},
        {"label.background", colour(&ChartLook::labelBackground)},
        {"label.border", colour(&ChartLook::labelBorder)},
        {"label.text", colour(&ChartLook::labelText)},
        {"z.title", text(&ChartLook::zTitle)},
        {"view.rotation", angle(&ChartLook::rotation, -360, 360)},
        {"view.elevation", angle(&ChartLook::elevation, kMinElevation, kMaxElevation)},
        {"box.depth", number(&ChartLook::boxDepth)},
        {"box.height", number(&ChartLook::boxHeight)},
        {"surface.low", colour(&ChartLook::surfaceLow)},
        {"surface.mid", colour(&ChartLook::surfaceMid)},
        {"surface.high", colour(&ChartLook::surfaceHigh)},
        {"surface.line", colour(&ChartLook::surfaceLine)},
        {"surface.line_width", number(&ChartLook::surfaceLineWidth)},
        {"wall.color", colour(&ChartLook::wall)},
    };
    return keys;
}

}  // namespace

std::optional<ChartLook> loadChartLook(const QString& path, const ChartLook& base) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    ChartLook look = base;
    QTextStream in(&file);
    bool any = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) return std::nullopt;
        const auto setter = setters().constFind(line.left(eq).trimmed());
        if (setter == setters().cend() || !(*setter)(look, line.mid(eq + 1).trimmed()))
            return std::nullopt;
        any = true;
    }
    if (!any) return std::nullopt;
    return look;
}

}  // namespace velo
