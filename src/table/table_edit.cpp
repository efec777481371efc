#include "table/table_edit.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QStringList>
#include <QVector>

namespace velo {

QString modifyPrompt() {
    return QStringList{
        "Enter a new value. See examples below or Help for details.",
        "   Enter 30 to set all cells in selection to 30",
        "   Enter -5 to subtract 5 from each cell in selection",
        "   Enter +10 to add 10 to each cell in selection",
        "   Enter 80% to multiply each cell in selection by 80%",
        "   Enter -7.5% to reduce each cell in selection by 7.5%",
        "   Enter +15% to increase each cell in selection by 15%",
    }
        .join("\r\n");
}

ModifyEntry ModifyEntry::parse(const QString& entry) {
    const QString text = entry.trimmed();
    ModifyEntry e;
    e.percent = text.contains('%');
    e.isSigned = text.contains('+') || text.contains('-');
    QString operand = text;
    operand.remove('%').remove('+');
    e.operand = leadingNumber(operand);
    return e;
}

double ModifyEntry::apply(double x) const {
    if (percent) return isSigned ? (1 + operand / 100) * x : operand / 100 * x;
    return isSigned ? x + operand : operand;
}

namespace {

void writeCell(TableSession& table, int row, int col, double v) {
    table.setValue(row, col, v);
    table.setText(row, col, formatFixed(v, 1));
}

void writeLimited(TableSession& table, LimitRule rule, int row, int col, double v) {
    const double got = table.limited(rule, v);
    table.noteLimit(row, col, v, got);
    writeCell(table, row, col, got);
}

double lerp(double a, double b, int i, int n) {
    return a + (b - a) * i / n;
}

}  // namespace

void modifySelection(TableSession& table, const CellRange& sel, const QString& entry,
                     LimitRule rule) {
    const ModifyEntry e = ModifyEntry::parse(entry);
    table.runAction("Modify", [&] {
        sel.forEach([&](int r, int c) {
            writeLimited(table, rule, r, c, e.apply(leadingNumber(table.text(r, c))));
        });
    });
}

QString clipText(const TableSession& table, const CellRange& sel) {
    QStringList rows;
    for (int r = sel.top; r <= sel.bottom; ++r) {
        QStringList cells;
        for (int c = sel.left; c <= sel.right; ++c) cells << table.text(r, c);
        rows << cells.join('\t');
    }
    return rows.join('\r');
}

QString copySelection(const TableSession& table, const CellRange& sel, CopyStore& store) {
    CellRange block = sel;
    if (table.kind() == TableKind::Table2D) block.top = block.bottom = 1;
    store.CopyText = clipText(table, block);
    store.CopyRowSpan = block.bottom - block.top;
    store.CopyColSpan = block.right - block.left;
    return store.CopyText;
}

CellRange pasteSelection(TableSession& table, const CellRange& sel, const CopyStore& store,
                         const QString& clipboardText) {
    CellRange target = sel;
    if (table.kind() == TableKind::Table2D) {
        target.top = target.bottom = 1;
        if (store.CopyColSpan != 0) target.right = target.left + store.CopyColSpan;
    } else if (store.CopyRowSpan != 0 || store.CopyColSpan != 0) {
        target.bottom = target.top + store.CopyRowSpan;
        target.right = target.left + store.CopyColSpan;
    }
    // Cells past the grid's edge are never written.
    target = target.clippedTo(table.rows(), TableSession::kColumns);

    QString text = clipboardText;
    // Other programs end rows with CR LF, or on this platform with LF alone; a final
    // row end is not an empty row.
    text.replace("\r\n", "\r").replace('\n', '\r');
    QStringList rows = text.split('\r');
    if (rows.size() > 1 && rows.last().isEmpty()) rows.removeLast();

    table.runAction("Paste", [&] {
        for (int i = 0; i < std::min<int>(rows.size(), target.rowCount()); ++i) {
            const QStringList cells = rows[i].split('\t');
            for (int j = 0; j < std::min<int>(cells.size(), target.colCount()); ++j)
                table.setText(target.top + i, target.left + j, cells[j]);
        }
        target.forEach(
            [&](int r, int c) { table.setValue(r, c, leadingNumber(table.text(r, c))); });
    });
    return target;
}

void interpolateSelection(TableSession& table, const CellRange& sel, LimitRule rule) {
    const int rows = sel.rowCount() - 1, cols = sel.colCount() - 1;
    auto v = [&](int r, int c) { return table.value(r, c); };
    auto set = [&](int r, int c, double x) { writeLimited(table, rule, r, c, x); };
    table.runAction("Interpolate", [&] {
        if (rows == 0) {
            for (int c = sel.left + 1; c < sel.right; ++c)
                set(sel.top, c,
                    lerp(v(sel.top, sel.left), v(sel.top, sel.right), c - sel.left, cols));
        } else if (cols == 0) {
            for (int r = sel.top + 1; r < sel.bottom; ++r)
                set(r, sel.left,
                    lerp(v(sel.top, sel.left), v(sel.bottom, sel.left), r - sel.top, rows));
        } else {
            // Every cell but the corners, the edges too, so the whole block follows them.
            const double tl = v(sel.top, sel.left), tr = v(sel.top, sel.right);
            const double bl = v(sel.bottom, sel.left), br = v(sel.bottom, sel.right);
            sel.forEach([&](int r, int c) {
                const bool corner =
                    (r == sel.top || r == sel.bottom) && (c == sel.left || c == sel.right);
                if (corner) return;
                const int i = r - sel.top, j = c - sel.left;
                set(r, c, lerp(lerp(tl, tr, j, cols), lerp(bl, br, j, cols), i, rows));
            });
        }
    });
}

void smoothSelection(TableSession& table, const CellRange& sel, LimitRule rule) {
    QVector<double> before;
    sel.forEach([&](int r, int c) { before << table.value(r, c); });
    auto old = [&](int r, int c) {
        return before[(r - sel.top) * sel.colCount() + (c - sel.left)];
    };
    table.runAction("Smooth", [&] {
        sel.forEach([&](int r, int c) {
            double sum = old(r, c);
            int n = 1;
            const int around[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto& d : around) {
                const int rr = r + d[0], cc = c + d[1];
                if (rr < sel.top || rr > sel.bottom || cc < sel.left || cc > sel.right) continue;
                sum += old(rr, cc);
                ++n;
            }
            writeLimited(table, rule, r, c, sum / n);
        });
    });
}

void editCell(TableSession& table, int row, int col, const QString& text) {
    table.runAction("Edit Cell", [&] { table.acceptEdit(row, col, text); });
}

}  // namespace velo
