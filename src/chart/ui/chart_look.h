#pragma once

#include <QColor>
#include <QString>
#include <Qt>
#include <optional>

namespace velo {

// The look of a chart, read from its template file: titles, fonts in points, line
// widths and marker sizes in points, colours. The file is ours: "key = value" lines,
// "#" starts a comment; keys left out keep the values below.
struct ChartLook {
    QString title = "Ignition Advance";
    QString xTitle = "Engine Speed (RPM)";
    QString yTitle = "Advance (\u00B0 BTDC)";
    QString series1Title = "Advance";
    QString series2Title = "Trigger timing";
    QString fontFamily = "DejaVu Sans";
    double fontSize = 9;
    double titleSize = 11;
    QColor background{0xff, 0xff, 0xff};
    QColor plotBackground{0xfb, 0xfc, 0xfd};
    QColor outOfRange{0xee, 0xf0, 0xf3};
    QColor grid{0xe1, 0xe5, 0xea};
    QColor axis{0x5f, 0x68, 0x73};
    QColor text{0x2b, 0x30, 0x36};
    QColor series1{0x1f, 0x66, 0xa8};
    double series1Width = 1.8;
    double markerSize = 3.2;  // radius
    QColor markerFill{0xff, 0xff, 0xff};
    QColor series2{0xc0, 0x4b, 0x3c};
    double series2Width = 1.2;
    Qt::PenStyle series2Style = Qt::DashLine;
    QColor labelBackground{0xff, 0xf6, 0xd5};
    QColor labelBorder{0xa8, 0x85, 0x1c};
    QColor labelText{0x2b, 0x30, 0x36};

    // 3D chart only. x: RPM, y: MAP, z: advance. The view turns `rotation` degrees about
    // the vertical axis and tilts `elevation` degrees down onto the floor; the box is
    // `depth` and `height` times half its width deep and high.
    QString zTitle = "Advance (\u00B0 BTDC)";
    double rotation = 30;
    double elevation = 28;
    double boxDepth = 0.55;
    double boxHeight = 0.5;
    QColor surfaceLow{0x2c, 0x7b, 0xb6};
    QColor surfaceMid{0xf2, 0xe8, 0x9a};
    QColor surfaceHigh{0xd7, 0x30, 0x27};
    QColor surfaceLine{0x33, 0x3a, 0x44};
    double surfaceLineWidth = 0.6;
    QColor wall{0xf4, 0xf6, 0xf8};
};

// Reads a template over `base`; nothing when the file cannot be read or a line has an
// unknown key or a value that does not parse (a typo should not pass silently).
std::optional<ChartLook> loadChartLook(const QString& path, const ChartLook& base = {});

}  // namespace velo
