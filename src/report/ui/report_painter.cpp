#include "report/ui/report_painter.h"

#include "chart/ui/chart2d_painter.h"
#include "chart/ui/chart3d_painter.h"
#include "core/numeric.h"
#include "table/table_commands.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

namespace velo {

namespace {

constexpr double kTwipsPerInch = 1440;

bool installed(const QString& family) {
    const QStringList families = QFontDatabase::families();
    return families.contains(family, Qt::CaseInsensitive);
}

ChartLook lookFrom(const AppFiles& templates, const QString& file) {
    return loadChartLook(templates.path(file)).value_or(ChartLook{});
}

void paintChart(QPainter& painter, const QRect& rect, const ReportPage& page,
                const ReportCharts& charts) {
    const TableKind kind = *page.chart;
    const TableSession* table = charts.tables ? charts.tables->table(kind) : nullptr;
    if (!table) return;
    // Data label 1 hidden: the contents' default.
    if (kind == TableKind::Table2D) {
        paintChart2D(painter, rect, lookFrom(charts.templates, kChart2DTemplate),
                     Chart2DContent::of(*table));
    } else {
        const ChartLook look = lookFrom(charts.templates, chart3DTemplate(page.mapSensor));
        paintChart3D(painter, rect, look, Chart3DContent::of(*table, page.mapSensor),
                     charts.view3D.value_or(ViewAngles{look.rotation, look.elevation}));
    }
}

}  // namespace

QString reportFontFamily() {
    if (installed("Monospac821 BT")) return "Monospac821 BT";
    if (installed("Courier New")) return "Courier New";
    // Some platforms (offscreen among them) answer the fixed font with a proportional one.
    const QString system = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    if (QFontDatabase::isFixedPitch(system)) return system;
    QFont hinted("monospace");
    hinted.setStyleHint(QFont::Monospace);
    hinted.setFixedPitch(true);
    const QString matched = QFontInfo(hinted).family();
    if (QFontDatabase::isFixedPitch(matched)) return matched;
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family)) return family;
    return matched;
}

QFont reportFont() {
    QFont f(reportFontFamily(), 8);
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
    return f;
}

QSizeF pageTwips(const QPagedPaintDevice& device) {
    // A point is 20 twips.
    return device.pageLayout().paintRect(QPageLayout::Point).size() * 20;
}

void paintReportPage(QPainter& painter, const ReportPage& page, const ReportCharts& charts) {
    const QPaintDevice* device = painter.device();
    const double perTwipX = device->logicalDpiX() / kTwipsPerInch;
    const double perTwipY = device->logicalDpiY() / kTwipsPerInch;
    if (page.chart) {
        const QRectF& t = page.chartTwips;
        const QRect rect(
            int(roundHalfEven(t.left() * perTwipX)), int(roundHalfEven(t.top() * perTwipY)),
            int(roundHalfEven(t.width() * perTwipX)), int(roundHalfEven(t.height() * perTwipY)));
        painter.save();
        paintChart(painter, rect, page, charts);
        painter.restore();
    }
    const QFont font = reportFont();
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF fm(font, device);
    const double column = fm.horizontalAdvance(QLatin1Char('0'));
    for (const ReportLine& line : page.lines) {
        const double baseline = line.topTwips * perTwipY + line.row * fm.height() + fm.ascent();
        for (const ReportItem& item : line.items)
            painter.drawText(QPointF((item.column - 1) * column, baseline), item.text);
    }
}

bool printReport(QPagedPaintDevice& device, const QVector<ReportPage>& pages,
                 const ReportCharts& charts) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        paintReportPage(painter, pages[i], charts);
    }
    return painter.end();
}

QImage reportPageImage(const ReportPage& page, const ReportCharts& charts, QSizeF pageTwips,
                       int dpi) {
    const QSize size(int(pageTwips.width() * dpi / kTwipsPerInch),
                     int(pageTwips.height() * dpi / kTwipsPerInch));
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(int(dpi / 0.0254));
    image.setDotsPerMeterY(int(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintReportPage(painter, page, charts);
    return image;
}

}  // namespace velo
