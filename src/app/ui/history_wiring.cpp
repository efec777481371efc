#include "app/ui/history_wiring.h"

#include "app/ui/main_window.h"
#include "table/table_history.h"
#include "table/ui/tune_history_window.h"

#include <QSettings>
#include <QTimer>

namespace velo {

HistoryWiring::HistoryWiring(MainWindow& window, QSettings& settings)
    : QObject(&window), window_(window), settings_(settings) {
    StatusLine& status = window.statusLine();
    store_ = std::make_unique<TuneHistory>(TuneHistory::defaultPath(),
                                           [&status](const QString& text) { status.notice(text); });
    AppContext& ctx = window.context();
    ctx.history = store_.get();
    ctx.warning = [&status](const QString& text) { status.setWarning(text); };
    new TableAutosave(window.tableEditor(), *store_);
    window.link().readBeforeUpload = settings.value(kReadBeforeUploadKey, true).toBool();
    // Once the window shows, not in the middle of its start.
    QTimer::singleShot(0, this, &HistoryWiring::offerRestore);
}

HistoryWiring::~HistoryWiring() {
    store_->endRun();
}

TuneHistoryWindow* HistoryWiring::showWindow() {
    if (!historyWindow_)
        historyWindow_ = new TuneHistoryWindow(window_.tableEditor(), *store_, &window_);
    else
        historyWindow_->refresh();
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
    return historyWindow_;
}

void HistoryWiring::offerRestore() {
    const auto lost = store_->takeLostTable();
    if (!lost || !settings_.value(kAskToRestoreKey, true).toBool()) return;
    AppContext& ctx = window_.context();
    const QString when = lost->time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
    if (ctx.ui.message("Tune History",
                       QString("Restore the unsaved timing table edits from %1?").arg(when),
                       Buttons::YesNo, Icon::Question) == Answer::Yes)
        restoreUnsavedTable(window_.tableEditor(), *lost);
}

}  // namespace velo
