#pragma once

#include "chart/chart3d_geometry.h"
#include "core/app_files.h"
#include "report/report_model.h"

#include <QFont>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <optional>

class QPagedPaintDevice;
class QPainter;

namespace velo {

// "Monospac821 BT" when installed, else "Courier New", else the system's fixed font,
// so the table's columns line up wherever the report is made.
QString reportFontFamily();
// The report's 8-point font in that family.
QFont reportFont();

// The printable area of a paged device in twips: what the report's sheets are built for.
QSizeF pageTwips(const QPagedPaintDevice& device);

// What the charts on the sheets are drawn from: the tables and where the chart templates
// are found (their look; a missing one leaves the built-in look).
struct ReportCharts {
    const ReportTables* tables = nullptr;
    AppFiles templates;
    // The 3D view as the window shows it; without one, the template's.
    std::optional<ViewAngles> view3D;
};

// Draws one sheet onto `painter`, whose device gives the resolution (pixels per twip).
void paintReportPage(QPainter& painter, const ReportPage& page, const ReportCharts& charts);

// Every sheet onto a printer or PDF writer, a new page for each. False when the device
// could not be painted on (no printer, a file that cannot be written).
bool printReport(QPagedPaintDevice& device, const QVector<ReportPage>& pages,
                 const ReportCharts& charts);

// One sheet as a picture of `pageTwips` at `dpi`.
QImage reportPageImage(const ReportPage& page, const ReportCharts& charts, QSizeF pageTwips,
                       int dpi);

}  // namespace velo
