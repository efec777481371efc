// Any text as a typed cell and as a Modify entry over a whole table, then saved.
#include "app/error_report.h"
#include "app/scripted_interaction.h"
#include "data/config_image.h"
#include "data/numeric.h"
#include "table/table_edit.h"
#include "table/table_session.h"

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
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // A number shown "#0.0" reads back as itself, give or take the rounding.
    const double typed = leadingNumber(text);
    const double shown = leadingNumber(formatFixed(typed, 1));
    check(std::fabs(shown - typed) <= 0.05 + std::fabs(typed) * 1e-15, "shown as", typed);

    ConfigImage image;
    ScriptedInteraction ui;  // error reports answered with Abort
    for (TableKind kind : {TableKind::Table2D, TableKind::Table3D}) {
        TableSession table(kind, image);
        if (!table.validateEdit(text)) table.acceptEdit(1, 1, text);
        const CellRange all{1, 1, table.rows(), TableSession::kColumns};
        modifySelection(table, all, text);
        // Whatever the entry, Modify leaves every cell inside the table's limits.
        all.forEach([&](int r, int c) {
            const double v = table.value(r, c);
            check(v >= table.lowerLimit() && v <= table.upperLimit(), "Modify left", v);
        });
        Trap trap(ui);
        table.save(image, trap);
    }
    return 0;
}
