// modify: the grid's commands that velo-igx-cli names (Modify, Interpolate, Smooth) on the
// table of a data file.
#include "cli.h"
#include "opened_table.h"

#include "table/grid_commands.h"
#include "table/table_session.h"

#include <QStringList>

#include <QRegularExpression>
#include <cstdio>

namespace velo::cli {

namespace {

// "A-B" or "A"; the bounds are checked once the table is known.
bool parseSpan(const QString& text, int& first, int& last) {
    static const QRegularExpression span(R"(^(\d+)(?:-(\d+))?$)");
    const auto m = span.match(text);
    if (!m.hasMatch()) return false;
    first = m.captured(1).toInt();
    last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
    return true;
}

}  // namespace

int runModify(const QStringList& args) {
    QStringList files;
    QString rows, cols;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--rows" || a == "--cols") {
            if (i + 1 >= args.size()) return usage(a + " needs a range A-B");
            (a == "--rows" ? rows : cols) = args[++i];
        } else if (a.startsWith("--") || files.size() == 3) {
            return usage("unexpected argument " + a);
        } else {
            files << a;  // IN, OUT, ENTRY; an entry such as "-5" is not an option
        }
    }
    if (files.size() != 3) return usage("modify needs IN.dat OUT.dat ENTRY");
    CellRange sel{1, 1, 8, TableSession::kColumns};
    if ((!rows.isEmpty() && !parseSpan(rows, sel.top, sel.bottom)) ||
        (!cols.isEmpty() && !parseSpan(cols, sel.left, sel.right)))
        return usage("a range is two numbers A-B");

    OpenedTable opened;
    if (const int failed = opened.open(files[0])) return failed;
    TableSession& table = *opened.table;
    if (rows.isEmpty()) sel.bottom = table.rows();
    if (sel.top < 1 || sel.top > sel.bottom || sel.bottom > table.rows())
        return usage(QString("--rows takes A-B within 1-%1 in this table").arg(table.rows()));
    if (sel.left < 1 || sel.left > sel.right || sel.right > TableSession::kColumns)
        return usage("--cols takes A-B within 1-21");

    GridCommandRun run{table, sel, files[2]};
    applyGridCommand(cliGridCommand(files[2]), run);
    return opened.saveAs(files[1]);
}

QString modifyUsage() {
    QStringList words;
    QString entry;
    for (const GridCommand& c : gridCommands())
        if (c.cliWord == "ENTRY")
            entry = "a " + c.caption + " entry such as 30, -5 or +15%";
        else if (!c.cliWord.isEmpty())
            words << c.cliWord;
    return "modify's ENTRY is " + entry + ", or one of the words " + words.join(", ") + ".\n";
}

}  // namespace velo::cli
