// Any text as a typed cell, a Modify entry and a paste over a whole table, both charts
// laid out and painted with what the paste left, then saved.
#include "chart/ui/chart2d_painter.h"
#include "chart/ui/chart3d_painter.h"
#include "core/error_report.h"
#include "core/numeric.h"
#include "core/scripted_interaction.h"
#include "data/config_image.h"
#include "table/grid_commands.h"
#include "table/table_edit.h"
#include "table/table_session.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace velo;

namespace {
void check(bool ok, const char* what, double v) {
    if (ok) return;
    std::fprintf(stderr, "%s %.17g\n", what, v);
    std::abort();
}

// The charts draw text: fonts need an application, offscreen needs no display.
void startGui() {
    static int argc = 1;
    static char name[] = "numbers_fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
}

// A small chart and a tiny one, each from the layout to the last label.
void paintCharts(const TableSession& table) {
    for (const QSize size : {QSize(160, 100), QSize(12, 8)}) {
        QImage image(size, QImage::Format_ARGB32);
        QPainter p(&image);
        const ChartLook look;
        if (table.kind() == TableKind::Table2D)
            paintChart2D(p, image.rect(), look, Chart2DContent::of(table, 6));
        else
            paintChart3D(p, image.rect(), look, Chart3DContent::of(table, 1, {6, 2, {}}),
                         {look.rotation, look.elevation});
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    startGui();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // A number shown "#0.0" reads back as itself, give or take the rounding.
    const double typed = leadingNumber(text);
    const double shown = leadingNumber(formatFixed(typed, 1));
    check(std::fabs(shown - typed) <= 0.05 + std::fabs(typed) * 1e-15, "shown as", typed);

    ConfigImage image;
    ScriptedInteraction ui;  // error reports answered with Abort
    for (TableKind kind : {TableKind::Table2D, TableKind::Table3D}) {
        TableSession table(kind, image);
        const CellRange all{1, 1, table.rows(), TableSession::kColumns};
        // Whatever the input, these leave every cell (Interpolate: but the ends it starts
        // from) inside the table's limits.
        auto checkLimits = [&](const char* what, bool keepsCorners) {
            all.forEach([&](int r, int c) {
                if (keepsCorners && (r == 1 || r == all.bottom) && (c == 1 || c == all.right))
                    return;
                const double v = table.value(r, c);
                check(v >= table.lowerLimit() && v <= table.upperLimit(), what, v);
            });
        };
        auto run = [&](const char* command) {
            GridCommandRun r{table, all, text};
            applyGridCommand(*gridCommand(command), r);
        };
        if (!table.validateEdit(text)) table.acceptEdit(1, 1, text);
        run("Modify");
        checkLimits("Modify left", false);
        pasteSelection(table, all, {}, text);
        paintCharts(table);
        run("Interpolate");
        checkLimits("Interpolate left", true);
        pasteSelection(table, all, {}, text);
        run("Smooth");
        checkLimits("Smooth left", false);
        Trap trap(ui);
        table.save(image, trap);
    }
    return 0;
}
