#include "data/history_records.h"

#include "core/run_error.h"
#include "core/tune_history.h"

#include <QFile>
#include <QFileInfo>

namespace velo::history {

QByteArray rawBytes(const ConfigImage& image) {
    const auto bytes = image.imageBytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

QByteArray savedBytes(const ConfigImage& image) {
    ConfigImage copy = image;
    try {
        copy.UpdateEEPROM();
    } catch (const RunError&) {
        return rawBytes(image);
    }
    return rawBytes(copy);
}

bool keep(AppContext& ctx, const QString& event, const QByteArray& bytes, const QString& source,
          const QString& note) {
    if (!ctx.history) return false;
    return ctx.history->record(event, bytes, source, ctx.state.FirmwareID, note) != 0;
}

void keepBufferBeforeDrop(AppContext& ctx, const QString& note) {
    if (!ctx.history) return;
    if (ctx.keepTableEdits) ctx.keepTableEdits(note);
    if (ctx.image.BufferEmpty) return;
    if (keep(ctx, "buffer-kept", savedBytes(ctx.image), ctx.state.DisplayName, note))
        ctx.tell(kBufferKept);
}

bool keepFileBeforeReplace(TuneHistory* store, const QString& path, const QByteArray& next) {
    if (!store) return false;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return false;
    // Whatever the file was, a tune or not: a few kilobytes say it, a huge one is no tune.
    constexpr qint64 kKeptAtMost = 64 * 1024;
    const QByteArray old = file.read(kKeptAtMost);
    if (old == next) return false;
    return store->record("file-replaced", old, QFileInfo(path).absoluteFilePath()) != 0;
}

bool lastUploadFailed(const TuneHistory* store) {
    if (!store) return false;
    const auto last = store->newestTransfer();
    return last && last->event == "upload-failed";
}

}  // namespace velo::history
