#pragma once

#include "table/table_session.h"

#include <QDateTime>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

namespace velo {

class ConfigImage;

// One text placed at a tab column: column n starts after n - 1 character widths.
struct ReportItem {
    int column = 10;
    QString text;
};

// A print line: `row` lines below the position `topTwips` its block was started at.
struct ReportLine {
    int topTwips = 0;
    int row = 0;
    QVector<ReportItem> items;  // none: an empty line

    // The line as the monospaced page shows it, trailing blanks dropped.
    QString text() const;
};

// One sheet: the chart picture, if any, in its rectangle (twips from the page's top
// left), and the text lines.
struct ReportPage {
    std::optional<TableKind> chart;
    QRectF chartTwips;
    int mapSensor = 0;  // the 3D chart's template and MAP axis: those of the grid's labels
    QVector<ReportLine> lines;
};

// What the report is made from, as the window holds it when the command runs.
struct ReportInput {
    const ConfigImage* image = nullptr;
    QString makerName;
    QString firmwareId;
    QDateTime printed;
    QString comment;
    int mapLabels = 0;  // the sensor the 3D grid's row labels are written for
    // The tables as the grids show them; a table in use that is not open is opened
    // from the image for the report.
    const TableSession* table2D = nullptr;
    const TableSession* table3D = nullptr;
};

// The tables a report draws, borrowed from the window or opened for it.
class ReportTables {
  public:
    ReportTables(const ReportInput& input);
    const TableSession* table(TableKind kind) const;

  private:
    std::unique_ptr<TableSession> own2D_, own3D_;
    const TableSession* t2D_ = nullptr;
    const TableSession* t3D_ = nullptr;
};

// A text fitted to a table field: exactly 8 characters, right-aligned; a longer text
// keeps its first 8.
QString reportField(const QString& text);

// The date and time as the heading shows them: short date, long time.
QString reportDateTime(const QDateTime& when);

// Builds every sheet of the report for a page of `pageTwips` (landscape).
QVector<ReportPage> buildReport(const ReportInput& input, const ReportTables& tables,
                                QSizeF pageTwips);

// Every line of every sheet as text, sheets parted by a form feed line.
QStringList reportText(const QVector<ReportPage>& pages);

}  // namespace velo
