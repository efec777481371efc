#include "window_check.h"

#include "app/ui/main_window.h"
#include "app/ui/table_views.h"
#include "table/table_commands.h"
#include "table/table_session.h"
#include "table/ui/table_popup.h"
#include "table/ui/timing_grid.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QUndoStack>
#include <cmath>

using namespace velo;

namespace monkey {

std::optional<QString> windowFault(MainWindow& m, const QStringList& saved) {
    constexpr int kBytes = ConfigImage::kImageBytes;
    if (m.image().imageBytes().size() != kBytes)
        return QString("the buffer lost its %1 bytes").arg(kBytes);
    const MainState::Menus menus = m.state().menus();
    QList<std::pair<QString, bool>> items = {{"mnuNewTable", menus.newTable},
                                             {"mnuEditTimingTable", menus.editTimingTable},
                                             {"mnuSaveTbl", menus.saveTbl},
                                             {"mnuCloseTbl", menus.closeTbl}};
    for (const GridCommand& g : gridCommands())
        if (g.enabling == GridCommand::Enabling::Paste)
            items << std::pair{itemName(g, TableKind::Table2D), menus.paste2D}
                  << std::pair{itemName(g, TableKind::Table3D), menus.paste3D};
    for (const auto& [name, on] : items)
        if (QAction* a = m.action(name); a && a->isEnabled() != on)
            return QString("%1 is %2 against the window state").arg(name, on ? "off" : "on");
    // New is never turned off. Paste may outlive its grid: a download or a file open hides
    // the table and leaves it as it was, and the next right click decides it again.
    if (!menus.newTable) return QString("New Timing Table is off");
    TableSession* s = m.tableEditor().session();
    // The status line tells what is unsaved: it must not lag behind.
    const QString status = m.editStatus()->text();
    if (s && status.contains("edits not yet saved") != s->hasEdits())
        return QString("the status line says \"" + status + "\" of the table");
    if (status.contains("Buffer:") == bool(m.image().BufferEmpty))
        return QString("the status line says \"" + status + "\" of the buffer");
    if (m.state().tableOpen() != (s != nullptr))
        return QString("the open table and the editor disagree");
    if (s) {
        const bool is2D = s->kind() == TableKind::Table2D;
        if (m.state().openTable() !=
            (is2D ? MainState::OpenTable::Table2D : MainState::OpenTable::Table3D))
            return QString("the open table is not the editor's kind");
        if (m.isVisible() &&
            !(is2D ? m.tableViews()->grid2D() : m.tableViews()->grid3D())->isVisible())
            return QString("the open table's grid is hidden");
        for (const GridCommand& g : gridCommands()) {
            using E = GridCommand::Enabling;
            if (g.enabling != E::CanUndo && g.enabling != E::CanRedo) continue;
            const bool can =
                g.enabling == E::CanUndo ? s->undoStack()->canUndo() : s->undoStack()->canRedo();
            if (QAction* a = m.action(itemName(g)); a && a->isEnabled() != can)
                return QString("%1 does not follow the table's history").arg(itemName(g));
        }
        for (int r = 1; r <= s->rows(); ++r)
            for (int c = 1; c <= TableSession::kColumns; ++c) {
                bool number = false;
                s->text(r, c).trimmed().toDouble(&number);
                if (std::isnan(s->value(r, c)) || (number && !std::isfinite(s->value(r, c))))
                    return QString("cell (%1,%2) \"%3\" holds %4")
                        .arg(r)
                        .arg(c)
                        .arg(s->text(r, c))
                        .arg(s->value(r, c));
            }
    }
    // A data file is whole or not there at all.
    for (const QString& path : saved)
        if (QFileInfo fi(path); fi.isFile() && fi.size() != kBytes)
            return QString("%1 holds %2 bytes").arg(path).arg(fi.size());
    return std::nullopt;
}

}  // namespace monkey
