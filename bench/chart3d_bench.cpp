#include "chart3d_bench.h"

#include "chart/ui/chart3d_painter.h"
#include "chart/ui/chart3d_widget.h"
#include "core/numeric.h"
#include "data/config_image.h"
#include "table/table_commands.h"
#include "table/table_session.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include "widget_bench.h"

#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace velo;

namespace {

constexpr QSize kSize(1280, 900);
constexpr int kRuns = 600;

// A tuner's 3D table as the controller stores it, counts below a trigger timing of 32:
// more advance at light load and with speed, levelling off past 4000 RPM.
ConfigImage realisticImage(int mapSensor) {
    ConfigImage image;
    image.DataBuffer[ConfigImage::kTrigTiming] = 32;
    for (int k = 1; k <= 21; ++k)
        for (int m = 1; m <= 8; ++m) {
            const double rpm = (k - 1) * 500.0, load = (8 - m) / 7.0;  // 0 light .. 1 full
            const double speed = 14 * (1 - std::exp(-rpm / 2200.0));
            const double advance = std::min(31.5, 12 + speed + 7 * (1 - load) - 2 * load);
            image.DataBuffer[ConfigImage::offset3D(k, m)] =
                uint8_t(roundHalfEven((32 - advance) / ConfigImage::kDegreesPerCount));
        }
    image.UpdateParams();
    image.MAPSensor = uint8_t(mapSensor);
    return image;
}

QString templatePath(int mapSensor) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(chart3DTemplate(mapSensor));
}

void writePngs(const QString& dir) {
    for (int sensor = 0; sensor <= 2; ++sensor) {
        const ConfigImage image = realisticImage(sensor);
        TableSession session(TableKind::Table3D, image);
        const ChartLook look = loadChartLook(templatePath(sensor)).value_or(ChartLook{});
        Chart3DLabel label{7, 3, std::nullopt};
        const Chart3DContent content = Chart3DContent::of(session, sensor, label);
        const ViewAngles view{look.rotation, look.elevation};
        for (auto [size, dpi] : {std::pair{kSize, 96}, std::pair{QSize(3000, 2000), 300},
                                 std::pair{QSize(1000, 420), 96}}) {
            QImage out(size, QImage::Format_ARGB32_Premultiplied);
            out.setDotsPerMeterX(int(dpi / 0.0254));
            out.setDotsPerMeterY(int(dpi / 0.0254));
            QPainter p(&out);
            paintChart3D(p, QRectF(QPointF(0, 0), QSizeF(size)), look, content, view);
            p.end();
            const QString path = QDir(dir).filePath(QString("chart3d_%1bar_%2x%3.png")
                                                        .arg(sensor + 1)
                                                        .arg(size.width())
                                                        .arg(size.height()));
            out.save(path);
            std::printf("wrote %s\n", qPrintable(path));
        }
        if (sensor == 1) {
            const QString pdf = QDir(dir).filePath("chart3d.pdf");
            QPdfWriter writer(pdf);
            writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, {}));
            writer.setResolution(600);
            QPainter p(&writer);
            const double top = 1000.0 / 1440 * writer.resolution();
            paintChart3D(p, QRectF(0, top, writer.width(), writer.height() - top), look, content,
                         view);
            p.end();
            std::printf("wrote %s\n", qPrintable(pdf));
        }
    }
}

int run() {
    const ConfigImage image = realisticImage(1);
    TableSession session(TableKind::Table3D, image);
    Chart3DWidget chart;
    chart.resize(kSize);
    if (!chart.loadTemplate(templatePath(1))) {
        std::fprintf(stderr, "velo-bench: no 3D chart template at %s\n",
                     qPrintable(templatePath(1)));
        return 1;
    }
    chart.setMapSensor(1);
    chart.setSession(&session);
    chart.show();
    QWidget plain;
    plain.setAutoFillBackground(true);
    plain.resize(kSize);
    plain.show();
    QCoreApplication::processEvents();
    if (qEnvironmentVariableIsSet("VELO_CHART_PNG"))
        writePngs(qEnvironmentVariable("VELO_CHART_PNG"));

    // Drag point (9, 4), 4000 RPM, up and down by up to 60 pixels, one repaint a move.
    const QPoint start = chart.chartGeometry().project(9, 4, session.value(5, 9)).toPoint();
    send(chart, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    if (chart.dragState().PickXIndex != 9 || chart.dragState().PickYIndex != 4) {
        std::fprintf(stderr, "velo-bench: the press did not take point (9, 4)\n");
        return 1;
    }
    const Stats drag = timeEach(kRuns, [&](int i) {
        const int dy = (i + 40) % 120 < 60 ? (i + 40) % 60 : 60 - (i + 40) % 60;
        send(chart, QEvent::MouseMove, start - QPoint(0, dy), Qt::NoButton, Qt::LeftButton);
        chart.repaint();
    });
    if (qEnvironmentVariableIsSet("VELO_CHART_PNG"))  // the widget itself, mid-drag
        chart.grab().save(
            QDir(qEnvironmentVariable("VELO_CHART_PNG")).filePath("chart3d_widget.png"));
    send(chart, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);

    // Turn with the right button, half a degree a pixel, one frame a move.
    const QPoint centre = chart.rect().center();
    send(chart, QEvent::MouseButtonPress, centre, Qt::RightButton, Qt::RightButton);
    const Stats turn = timeEach(kRuns, [&](int i) {
        const int dx = (i + 40) % 240 < 120 ? (i + 40) % 120 : 120 - (i + 40) % 120;
        send(chart, QEvent::MouseMove, centre + QPoint(dx, dx / 4), Qt::NoButton, Qt::RightButton);
        chart.repaint();
    });
    send(chart, QEvent::MouseButtonRelease, centre, Qt::RightButton, Qt::NoButton);
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &home);

    const Stats plainRepaint = timeEach(kRuns, [&](int) { plain.repaint(); });

    std::printf("3D chart at %dx%d offscreen, %d moves (goal: median <= 4 ms, worst <= 8 ms)\n",
                kSize.width(), kSize.height(), kRuns);
    printAgainstPlainRepaint(
        {{"drag move (event + repaint)", drag}, {"rotation frame (event + repaint)", turn}},
        plainRepaint);
    return 0;
}

}  // namespace

int runChart3DBench() {
    return run();
}
