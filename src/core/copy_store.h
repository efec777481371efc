#pragma once

#include <QString>

namespace velo {

// The copy store: what the last Copy took. It outlives the open table (the spans survive
// an Edit of the table), so the window's AppContext owns it.
struct CopyStore {
    QString CopyText;
    int CopyRowSpan = 0;  // rows of the last copied block minus one; 0 for a 2D copy
    int CopyColSpan = 0;  // columns minus one

    // Edit (reopening the table) forgets the text but keeps the spans.
    void clearText() { CopyText.clear(); }
    // Save and Close forget everything.
    void clear() { *this = {}; }
    // The right click's decision for the pop-up "Paste" item.
    bool pasteEnabled(const QString& clipboardText) const {
        return !CopyText.isEmpty() || !clipboardText.isEmpty();
    }
};

}  // namespace velo
