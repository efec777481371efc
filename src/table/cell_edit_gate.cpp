#include "table/cell_edit_gate.h"

namespace velo {

bool CellEditGate::admit(QObject* editor, const QString& text) {
    const bool repeat = refusedEditor_ && refusedEditor_ == editor && refusedText_ == text;
    if (phase_ == Phase::Checking || repeat) {
        keepOpen_ = true;
        return false;
    }
    return true;
}

void CellEditGate::endCheck(bool accepted, QObject* editor, const QString& text) {
    phase_ = Phase::Idle;
    if (accepted) return;
    keepOpen_ = true;
    refusedEditor_ = editor;
    refusedText_ = text;
}

bool CellEditGate::mayClose() {
    if (!keepOpen_) return true;
    keepOpen_ = false;
    return false;
}

}  // namespace velo
