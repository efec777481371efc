#include "core/main_state.h"

namespace velo {

void MainState::setTitle(const QString& title) {
    if (title == title_) return;
    title_ = title;
    emit titleChanged(title_);
}

void MainState::setMenus(const Menus& m) {
    if (m == menus_) return;
    menus_ = m;
    emit menusChanged();
}

void MainState::setTableMenus(bool tableInUse) {
    Menus m = menus_;
    m.newTable = true;
    m.editTimingTable = m.saveTbl = m.closeTbl = tableInUse;
    setMenus(m);
}

void MainState::setPaste(bool paste2D, bool paste3D) {
    Menus m = menus_;
    m.paste2D = paste2D;
    m.paste3D = paste3D;
    setMenus(m);
}

void MainState::setOpenTable(OpenTable t) {
    if (t == openTable_) return;
    openTable_ = t;
    emit openTableChanged();
}

void MainState::showProgress(const QString& caption) {
    progressVisible_ = true;
    progressCaption_ = caption;
    progressValue_ = 0;
    emit progressChanged();
}

void MainState::setProgress(int value) {
    if (value == progressValue_) return;
    progressValue_ = value;
    emit progressChanged();
}

void MainState::hideProgress() {
    if (!progressVisible_) return;
    progressVisible_ = false;
    emit progressChanged();
}

}  // namespace velo
