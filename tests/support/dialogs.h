#pragma once

#include <QWidget>

namespace velo::test {

// A dialog's control by its object name; a renamed one stops the run.
template <class W>
W* child(QWidget& dialog, const char* name) {
    W* w = dialog.findChild<W*>(name);
    if (!w) qFatal("no %s", name);
    return w;
}

}  // namespace velo::test
