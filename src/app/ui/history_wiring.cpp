#include "app/ui/history_wiring.h"

#include "app/ui/main_window.h"
#include "core/error_report.h"
#include "data/history_records.h"
#include "table/table_history.h"
#include "table/ui/tune_history_window.h"

#include <QSettings>
#include <QTimer>
#include <algorithm>

namespace velo {

HistoryWiring::HistoryWiring(MainWindow& window, QSettings& settings)
    : window_(window), settings_(settings) {
    StatusLine& status = window.statusLine();
    store_ = std::make_unique<TuneHistory>(TuneHistory::defaultPath(),
                                           [&status](const QString& text) { status.notice(text); });
    AppContext& ctx = window.context();
    ctx.history = store_.get();
    // A transfer goes on when its entry fails; the user must not miss it, so the word
    // stays until the store works again.
    store_->setTroubleHandler([&status](const QString& text) { status.setHistoryWarning(text); });
    autosave_ = std::make_unique<BufferAutosave>(window.tableEditor(), *store_);
    if (history::lastUploadFailed(store_.get())) status.setWarning(history::kPartlyProgrammed);
    if (settings_.value(kKeptAtExitKey, false).toBool()) {
        status.notice(history::kKeptAtExit);
        settings_.remove(kKeptAtExitKey);
    }
    window.link().readBeforeUpload = settings.value(kReadBeforeUploadKey, true).toBool();
    // Once the window shows, not in the middle of its start.
    QTimer::singleShot(0, this,
                       [this] { Trap(window_.context().ui).step([this] { offerRestore(); }); });
}

HistoryWiring::~HistoryWiring() {
    window_.context().history = nullptr;
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

void HistoryWiring::keepBufferAtExit() {
    StatusLine& status = window_.statusLine();
    status.updateEditStatus();
    AppContext& ctx = window_.context();
    const auto raw = ctx.image.imageBytes();
    // A table saved into an empty buffer leaves it marked empty, and is work all the same.
    const bool holdsWork = !ctx.image.BufferEmpty ||
                           std::any_of(raw.begin(), raw.end(), [](uint8_t b) { return b != 0; });
    if (!holdsWork || !status.bufferChanged()) return;
    if (history::keep(ctx, HistoryEvent::BufferKept, history::savedBytes(ctx.image),
                      ctx.state.DisplayName, "at Exit"))
        settings_.setValue(kKeptAtExitKey, true);
}

void HistoryWiring::offerRestore() {
    const QVector<UnsavedWork> lost = store_->lostRuns();
    const bool ask = settings_.value(kAskToRestoreKey, true).toBool();
    AppContext& ctx = window_.context();
    // Newest first, until one is put back: the window holds one buffer, and the others
    // wait, kept as entries, for the next start.
    for (int i = 0; i < lost.size(); ++i) {
        const UnsavedWork& w = lost[i];
        const QString when = w.time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
        const QString what = w.cells.isEmpty() ? "Restore the unsaved buffer from %1?"
                                               : "Restore the unsaved timing table edits from %1?";
        const bool yes = ask && ctx.ui.message("Tune History", QString(what).arg(when),
                                               Buttons::YesNo, Icon::Question) == Answer::Yes;
        if (yes) restoreUnsavedWork(window_.tableEditor(), w);
        store_->settleLostRun(w.run);
        if (!yes) continue;
        if (const qsizetype left = lost.size() - i - 1)
            ctx.tell(QString("%1 more lost run(s) kept in Tune History (Ctrl+H), offered at the "
                             "next start.")
                         .arg(left));
        return;
    }
}

}  // namespace velo
