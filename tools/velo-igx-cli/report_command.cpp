#include "cli.h"
#include "core/config_file.h"
#include "core/run_error.h"
#include "data/data_file.h"
#include "report/ui/report_painter.h"

#include <QPdfWriter>
#include <QSaveFile>
#include <cstdio>

namespace velo::cli {

namespace {

QString makerName(const AppFiles& files) {
    try {
        return readConfigFile(files).makerName();
    } catch (const RunError&) {
        return BrandInfo::defaults().makerName();
    }
}

}  // namespace

int runReport(const CommandLine& line) {
    const QStringList files = line.files();
    const QString comment = line.value("comment");
    if (!line.missingValue().isEmpty() || !line.stray(2).isEmpty() || files.size() != 2) {
        printUsage(stderr);
        return kUsage;
    }
    ConfigImage image;
    if (const int failed = readImage(files[0], image)) return failed;

    const AppFiles appFiles = AppFiles::ofProgram();
    ReportInput in;
    in.image = &image;
    in.makerName = makerName(appFiles);
    in.printed = QDateTime::currentDateTime();
    in.comment = comment;
    in.mapLabels = image.mapSensorInUse();
    const ReportTables tables(in);
    const ReportCharts charts{&tables, appFiles, std::nullopt};

    if (files[1] == "-") {
        const QSizeF a4(16838, 11906);
        for (const QString& text : reportText(buildReport(in, tables, a4)))
            std::printf("%s\n", qPrintable(text));
        return kOk;
    }
    QSaveFile out(files[1]);
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "Report: %s: %s\n", qPrintable(files[1]),
                     qPrintable(out.errorString()));
        return kFileError;
    }
    {
        QPdfWriter pdf(&out);
        pdf.setTitle("IGX-1 Parameters And Timing Table");
        pdf.setResolution(600);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        if (!printReport(pdf, buildReport(in, tables, pageTwips(pdf)), charts)) {
            out.cancelWriting();
            std::fprintf(stderr, "Report: %s: the PDF could not be written\n",
                         qPrintable(files[1]));
            return kFileError;
        }
    }
    if (!out.commit()) {
        std::fprintf(stderr, "Report: %s: %s\n", qPrintable(files[1]),
                     qPrintable(out.errorString()));
        return kFileError;
    }
    return kOk;
}

}  // namespace velo::cli
