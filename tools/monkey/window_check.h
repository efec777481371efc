#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace velo {
class MainWindow;
}

namespace monkey {

// What must hold of the window whatever the user did: the buffer's size, the menus against
// the window state, the status line, the open table and its values, and every data file
// saved (`saved`) whole. The first thing that does not hold, if any.
std::optional<QString> windowFault(velo::MainWindow& m, const QStringList& saved);

}  // namespace monkey
