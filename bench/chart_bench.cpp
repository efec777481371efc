#include "chart_bench.h"

#include "chart/ui/chart2d_painter.h"
#include "chart/ui/chart2d_widget.h"
#include "core/numeric.h"
#include "data/config_image.h"
#include "table/table_session.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include "widget_bench.h"

#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace velo;

namespace {

constexpr QSize kSize(1280, 900);
constexpr int kRuns = 600;

// A tuner's table as the controller stores it: counts below a trigger timing of 30.
ConfigImage realisticImage() {
    const double advance[21] = {10, 10, 10, 12, 16, 20, 24, 27, 28.5, 29.4, 30,
                                30, 30, 30, 30, 30, 30, 30, 30, 30,   30};
    ConfigImage image;
    image.DataBuffer[ConfigImage::kTrigTiming] = 30;
    for (int k = 1; k <= 21; ++k)
        image.DataBuffer[ConfigImage::offset2D(k)] =
            uint8_t(roundHalfEven((30 - advance[k - 1]) / ConfigImage::kDegreesPerCount));
    image.UpdateParams();
    return image;
}

void writePngs(const QString& dir, const Chart2DWidget& chart) {
    const Chart2DContent content = Chart2DContent::of(*chart.session(), 8);
    // Screen size, and a landscape page at 300 dpi, as the report will print it.
    for (auto [size, dpi] : {std::pair{kSize, 96}, std::pair{QSize(3000, 2000), 300},
                             std::pair{QSize(1000, 320), 96}}) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(int(dpi / 0.0254));
        image.setDotsPerMeterY(int(dpi / 0.0254));
        QPainter p(&image);
        paintChart2D(p, QRectF(QPointF(0, 0), QSizeF(size)), chart.look(), content);
        p.end();
        const QString path =
            QDir(dir).filePath(QString("chart2d_%1x%2.png").arg(size.width()).arg(size.height()));
        image.save(path);
        std::printf("wrote %s\n", qPrintable(path));
    }
    // A landscape A4 page as vectors, the chart below a 1000-twip heading as the report
    // places it.
    const QString pdf = QDir(dir).filePath("chart2d.pdf");
    QPdfWriter writer(pdf);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, {}));
    writer.setResolution(600);
    QPainter p(&writer);
    const double top = 1000.0 / 1440 * writer.resolution();
    paintChart2D(p, QRectF(0, top, writer.width(), writer.height() - top), chart.look(), content);
    p.end();
    std::printf("wrote %s\n", qPrintable(pdf));
}

int run() {
    ConfigImage image = realisticImage();
    TableSession session(TableKind::Table2D, image);
    Chart2DWidget chart;
    chart.resize(kSize);
    const QString look =
        QDir(QCoreApplication::applicationDirPath()).filePath("IGX_2D_Timing_Chart.oc2");
    if (!chart.loadTemplate(look)) {
        std::fprintf(stderr, "velo-bench: no chart template at %s\n", qPrintable(look));
        return 1;
    }
    chart.setSession(&session);
    chart.show();
    QWidget plain;
    plain.setAutoFillBackground(true);
    plain.resize(kSize);
    plain.show();
    QCoreApplication::processEvents();
    if (qEnvironmentVariableIsSet("VELO_CHART_PNG"))
        writePngs(qEnvironmentVariable("VELO_CHART_PNG"), chart);

    // Drag point 6 (2500 RPM, 20.0) up and down by up to 60 pixels, one repaint a move.
    const QPoint start = chart.chartGeometry().point(6, session.value(1, 6)).toPoint();
    send(chart, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    if (chart.dragState().PickPoint != 6) {
        std::fprintf(stderr, "velo-bench: the press did not take point 6\n");
        return 1;
    }
    const Stats drag = timeEach(kRuns, [&](int i) {
        const int dy = (i + 40) % 120 < 60 ? (i + 40) % 60 : 60 - (i + 40) % 60;
        send(chart, QEvent::MouseMove, start - QPoint(0, dy), Qt::NoButton, Qt::LeftButton);
        chart.repaint();
    });
    if (qEnvironmentVariableIsSet("VELO_CHART_PNG"))  // the widget itself, mid-drag
        chart.grab().save(
            QDir(qEnvironmentVariable("VELO_CHART_PNG")).filePath("chart2d_widget.png"));
    send(chart, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    const Stats plainRepaint = timeEach(kRuns, [&](int) { plain.repaint(); });
    // The painter alone, into an image, as the report will use it.
    QImage target(kSize, QImage::Format_ARGB32_Premultiplied);
    const Stats render = timeEach(kRuns, [&](int i) {
        session.setValue(1, 6, 20 + 0.2 * (i % 50));
        QPainter p(&target);
        paintChart2D(p, QRectF(target.rect()), chart.look(), Chart2DContent::of(session, 6));
    });

    std::printf("2D chart at %dx%d offscreen, %d moves (goal: median <= 2 ms, worst <= 5 ms)\n",
                kSize.width(), kSize.height(), kRuns);
    printAgainstPlainRepaint(
        {{"drag move (event + repaint)", drag}, {"setValue + paint into QImage", render}},
        plainRepaint);
    return 0;
}

}  // namespace

int runChartBench() {
    return run();
}
