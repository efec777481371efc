#include "app/ui/window_hooks.h"

#include "app/ui/main_window.h"
#include "app/ui/table_views.h"
#include "chart/ui/chart2d_widget.h"
#include "chart/ui/chart3d_widget.h"
#include "table/ui/compare_dialog.h"
#include "table/ui/new_table_wizards.h"

#include <QApplication>
#include <QClipboard>

namespace velo {

WindowHooks::WindowHooks(MainWindow& window, QSettings& settings)
    : w_(window), settings_(settings), recent_(settings) {
    AppContext& ctx = w_.context();
    ctx.window = this;
    ctx.notices = &w_.statusLine();
    w_.tableEditor().window = this;
}

WindowHooks::~WindowHooks() {
    AppContext& ctx = w_.context();
    ctx.window = &noHooks();
    ctx.notices = &noHooks();
    w_.tableEditor().window = &noTableWindow();
}

void WindowHooks::editModParams() {
    w_.mnuEditModParams_Click();
}

void WindowHooks::chartSetup3D() {
    ChartSetup3D(w_.tableEditor());
}

void WindowHooks::fileUsed(const QString& path) {
    recent_.add(path);
}

bool WindowHooks::loadTemplate2D(const QString& path) {
    return w_.tableViews()->chart2D()->loadTemplate(path);
}

bool WindowHooks::loadTemplate3D(const QString& path) {
    return w_.tableViews()->chart3D()->loadTemplate(path);
}

void WindowHooks::formResize() {
    w_.Form_Resize();
}

void WindowHooks::hideValueLabels() {
    w_.tableViews()->hideValueLabels();
}

void WindowHooks::clearClipboard() {
    QApplication::clipboard()->clear();
}

void WindowHooks::showWizard(TableKind kind) {
    showNewTableWizard(w_.tableEditor(), kind, &w_);
}

bool WindowHooks::previewImport(const ImportPreview& preview, const QString& fileName) {
    return confirmImport(w_.tableEditor(), preview, fileName, settings_, &w_);
}

}  // namespace velo
