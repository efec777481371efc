#include "data/history_records.h"

#include "core/run_error.h"
#include "core/tune_history.h"

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

qint64 keep(AppContext& ctx, const QString& event, const QByteArray& bytes, const QString& source,
            const QString& note) {
    if (!ctx.history) return 0;
    return ctx.history->record(event, bytes, source, ctx.state.FirmwareID, note);
}

void keepBufferBeforeDrop(AppContext& ctx, const QString& note) {
    if (!ctx.history) return;
    if (ctx.keepTableEdits) ctx.keepTableEdits(note);
    if (ctx.image.BufferEmpty) return;
    if (keep(ctx, "buffer-kept", savedBytes(ctx.image), ctx.state.DisplayName, note))
        ctx.tell(kBufferKept);
}

}  // namespace velo::history
