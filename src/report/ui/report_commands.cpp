#include "report/ui/report_commands.h"

#include "chart/ui/chart3d_widget.h"
#include "core/config_file.h"
#include "core/error_report.h"
#include "core/run_error.h"
#include "report/ui/report_painter.h"
#include "table/table_commands.h"

#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace velo {

QPrinter& reportPrinter() {
    static QPrinter printer(QPrinter::HighResolution);
    static const bool landscape = printer.setPageOrientation(QPageLayout::Landscape);
    Q_UNUSED(landscape);
    return printer;
}

void mnuPrintTable_Click(QWidget* parent, TableEditor& editor, const BrandInfo& brand) {
    AppContext& ctx = editor.ctx;
    const QString comment =
        ctx.ui.inputBox("Optional Information Entry", "Serial number or comment?").value_or("");
    // The printed charts carry no value label; the one on the screen goes too.
    editor.window->hideValueLabels();
    ReportInput in;
    in.image = &ctx.image;
    try {
        in.makerName = brand.makerName();
    } catch (const RunError& e) {
        if (ErrorReport(ctx.ui, e) == Answer::Abort) return;
    }
    in.firmwareId = ctx.state.FirmwareID;
    in.printed = QDateTime::currentDateTime();
    in.comment = comment;
    in.mapLabels = editor.mapSensorShown();
    if (const TableSession* open = editor.session())
        (open->kind() == TableKind::Table2D ? in.table2D : in.table3D) = open;
    const ReportTables tables(in);
    const ReportCharts charts{&tables, editor.files, turnedChart3DView()};

    QPrinter& printer = reportPrinter();
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle("Print Parameters And Timing Table");
    // Built for the page the preview or the print dialog has chosen at that moment.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* p) {
        if (!printReport(*p, buildReport(in, tables, pageTwips(*p)), charts))
            ErrorReport(ctx.ui, RunError{482, "Print", "Printer error"});
    });
    preview.exec();
}

void mnuPrintSetup_Click(QWidget* parent) {
    QPageSetupDialog dialog(&reportPrinter(), parent);
    dialog.setWindowTitle("Printer Setup");
    dialog.exec();
}

}  // namespace velo
