#pragma once

#include "table/cell_range.h"

#include <QMap>
#include <QString>

namespace velo {

class TableSession;

// The status bar's word after a command that held values at a limit. `limitedTo` maps each
// value cells were limited to onto how many: "Modify limited 4 cells to the trigger timing
// 38.0°", naming the trigger timing and the lower limit of `table` as such. Empty when no
// cell was limited.
QString limitNotice(const QString& action, const QMap<double, int>& limitedTo, int trigTiming,
                    int lowerLimit);
// Paste takes values as they come: the cells of `block` left outside the table's window.
QString outsideNotice(const QString& action, const TableSession& table, const CellRange& block);

}  // namespace velo
