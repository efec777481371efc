#include "report/report_model.h"

#include "core/numeric.h"
#include "data/config_image.h"

#include <QLocale>
#include <QRegularExpression>

namespace velo {

namespace {

constexpr int kHeadingTop = 500;
constexpr int kSectionTop = 2000;
constexpr int kChartTop = 1000;

QString degrees(int counts) {
    return formatFixed(double(roundHalfEven(counts * ConfigImage::kDegreesPerCount)), 0);
}

// The printer's number output: a blank where a plus sign would be, and one after.
QString printedNumber(int n) {
    return (n < 0 ? QString::number(n) : " " + QString::number(n)) + " ";
}

// Lines printed from one print position on, on the sheet being filled.
class Printer {
  public:
    explicit Printer(QSizeF page) : page_(page) { pages_.append(ReportPage{}); }

    void at(int topTwips) {
        top_ = topTwips;
        row_ = 0;
    }
    void line(QVector<ReportItem> items = {}) {
        pages_.last().lines.append({top_, row_++, std::move(items)});
    }
    void text(const QString& s) { line({{10, s}}); }
    void pair(const QString& label, const QString& value, int valueColumn = 50) {
        line({{10, label}, {valueColumn, value}});
    }
    void chart(TableKind kind, int mapSensor) {
        pages_.last().chart = kind;
        pages_.last().mapSensor = mapSensor;
        pages_.last().chartTwips = QRectF(0, kChartTop, page_.width(), page_.height() - kChartTop);
    }
    void endDoc() {
        pages_.append(ReportPage{});
        at(0);
    }
    QVector<ReportPage> pages() const {
        QVector<ReportPage> all = pages_;
        // The last end of document leaves an empty sheet that never prints.
        if (all.size() > 1 && all.last().lines.isEmpty() && !all.last().chart) all.removeLast();
        return all;
    }

  private:
    QSizeF page_;
    QVector<ReportPage> pages_;
    int top_ = 0, row_ = 0;
};

class Builder {
  public:
    Builder(const ReportInput& in, const ReportTables& tables, QSizeF page)
        : in_(in), im_(*in.image), tables_(tables), p_(page) {}

    QVector<ReportPage> build() {
        p_.at(kHeadingTop);
        heading();
        comment();
        if (im_.Table2DEnabled) tableSection(TableKind::Table2D);
        if (im_.Table3DEnabled) tableSection(TableKind::Table3D);
        parameters();
        p_.endDoc();
        return p_.pages();
    }

  private:
    void heading() {
        p_.text(in_.makerName + " IGX-1 Data Printed: " + reportDateTime(in_.printed));
    }
    void comment() {
        if (!in_.comment.isEmpty()) p_.text("Serial/Comment: " + in_.comment);
    }

    QString cell(TableKind kind, int row, int col) const {
        const bool is2D = kind == TableKind::Table2D;
        if (row == 0) return col == 0 ? (is2D ? "RPM" : "MAP/RPM") : TableSession::rpmLabel(col);
        if (col == 0) return is2D ? "ADV" : TableSession::mapLabel(row, in_.mapLabels);
        const TableSession* t = tables_.table(kind);
        return t ? t->text(row, col) : QString();
    }
    void tableRow(TableKind kind, int row, int firstCol, int lastCol) {
        QString s = reportField(cell(kind, row, 0));
        for (int c = firstCol; c <= lastCol; ++c) s += reportField(cell(kind, row, c));
        p_.text(s);
    }

    void tableSection(TableKind kind) {
        p_.chart(kind, in_.mapLabels);
        p_.endDoc();
        p_.at(kSectionTop);
        heading();
        p_.line();
        comment();
        p_.line();
        p_.text("Timing Table");
        p_.line();
        const int lastRow = kind == TableKind::Table2D ? 1 : kMapRows;
        for (int r = 0; r <= lastRow; ++r) tableRow(kind, r, 1, 11);
        p_.line();
        p_.line();
        for (int r = 0; r <= lastRow; ++r) tableRow(kind, r, 12, kRpmColumns);
        p_.endDoc();
    }

    void parameters() {
        p_.at(kSectionTop);
        heading();
        p_.line();
        comment();
        p_.pair("Firmware ID:", in_.firmwareId, 30);
        p_.line();
        p_.text("Module Parameters");
        p_.line();
        p_.text("General Options");
        p_.line({{50, im_.Cyl6   ? "6 Cylinder Engine"
                      : im_.Cyl4 ? "4 Cylinder Engine"
                                 : "8 Cylinder Engine"}});
        p_.pair("Timing Functions Disabled:", im_.TimingEnable ? "False" : "True");
        if (im_.StartRetard > 0) {
            p_.pair("Automatic Start Retard Enabled:", "True");
            p_.pair("Start Retard (Deg):", degrees(im_.StartRetard));
        } else {
            p_.pair("Automatic Start Retard Enabled:", "False");
        }
        p_.pair("Cranking Pulses:", printedNumber(im_.CrankPulses));
        // To the nearest half degree.
        p_.pair("Retard Compensation (Deg):",
                formatFixed(roundHalfEven(im_.RetardComp * 2 * ConfigImage::kDegreesPerCount) / 2.0,
                            1));
        p_.line();
        p_.text("Timing Table Options");
        const QString trig = formatFixed(im_.TrigTiming, 1);
        if (im_.Table2DEnabled) {
            p_.text("2D Timing Table Enabled");
            p_.pair("Trigger Signal Timing (Deg):", trig);
        } else if (im_.Table3DEnabled) {
            p_.text("3D Timing Table Enabled");
            p_.text(im_.MAPSensor == 1   ? "2 bar MAP Sensor"
                    : im_.MAPSensor == 2 ? "3 bar MAP Sensor"
                                         : "1 bar MAP Sensor");
            p_.pair("Trigger Signal Timing (Deg):", trig);
        } else {
            p_.text("Timing Table Disabled");
        }
        p_.line();
        p_.text("General Purpose Input/Ouput Parameters");
        switch (im_.GPI1Mode & 0x0f) {
            case 1:
                p_.text("GPI1 Analog Retard");
                p_.pair("NOS Retard (Deg):", degrees(im_.GPI1Retard));
                break;
            case 2:
                p_.text("GPI1 Digital Retard");
                p_.pair("Retard (Deg):", degrees(im_.GPI1Retard));
                break;
            default:
                p_.text("GPI1 Disabled");
        }
        p_.line();
        if ((im_.GPI2Mode & 0x0f) == 1) {
            p_.text("GPI2 Digital Retard");
            p_.pair("Retard (Deg):", degrees(im_.GPI2Retard));
        } else {
            p_.text("GPI2 Disabled");
        }
        p_.line();
        switch (im_.GPIO3Mode & 0x0f) {
            case 1:
                p_.text("GPIO3 Digital Retard");
                p_.pair("Retard (Deg):", degrees(im_.GPIO3Retard));
                break;
            case 2:
                p_.text("GPIO3 RPM Window Switch");
                p_.pair("Minimum RPM:", formatFixed(im_.GPIO3MinRPM, 0));
                p_.pair("Maximum RPM:", formatFixed(im_.GPIO3MaxRPM, 0));
                break;
            default:
                p_.text("GPIO3 Disabled");
        }
    }

    const ReportInput& in_;
    const ConfigImage& im_;
    const ReportTables& tables_;
    Printer p_;
};

}  // namespace

QString ReportLine::text() const {
    QString s;
    for (const ReportItem& item : items) {
        // Past its column already: the text follows on the same line.
        if (s.size() < item.column - 1) s = s.leftJustified(item.column - 1);
        s += item.text;
    }
    while (s.endsWith(' ')) s.chop(1);
    return s;
}

ReportTables::ReportTables(const ReportInput& input) : t2D_(input.table2D), t3D_(input.table3D) {
    const ConfigImage& im = *input.image;
    if (!t2D_ && im.Table2DEnabled) {
        own2D_ = std::make_unique<TableSession>(TableKind::Table2D, im);
        t2D_ = own2D_.get();
    }
    if (!t3D_ && im.Table3DEnabled) {
        own3D_ = std::make_unique<TableSession>(TableKind::Table3D, im);
        t3D_ = own3D_.get();
    }
}

const TableSession* ReportTables::table(TableKind kind) const {
    return kind == TableKind::Table2D ? t2D_ : t3D_;
}

QString reportField(const QString& text) {
    return text.left(8).rightJustified(8);
}

QString reportDateTime(const QDateTime& when) {
    const QLocale locale;
    // The long time without the zone the locale's long format adds ("05:46:07 UTC").
    const QString time =
        locale.timeFormat(QLocale::LongFormat).remove(QRegularExpression(R"(\s*\bt\b)")).trimmed();
    return locale.toString(when.date(), QLocale::ShortFormat) + " " +
           locale.toString(when.time(), time);
}

QVector<ReportPage> buildReport(const ReportInput& input, const ReportTables& tables,
                                QSizeF pageTwips) {
    return Builder(input, tables, pageTwips).build();
}

QStringList reportText(const QVector<ReportPage>& pages) {
    QStringList out;
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0) out << "\f";
        for (const ReportLine& l : pages[i].lines) out << l.text();
    }
    return out;
}

}  // namespace velo
