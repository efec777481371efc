#include "data/history_records.h"

#include "core/run_error.h"
#include "core/tune_history.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

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

namespace {

constexpr quint32 kParamsForm = 1;

// One order for both ways: each field read or written in turn.
template <typename Stream, typename Image>
void eachParam(Stream& s, Image& im) {
    s << im.TrigTiming << im.CrankPulses << im.OptionsByte << im.Cyl4 << im.Cyl6 << im.TimingEnable
      << im.Table2DEnabled << im.Table3DEnabled << im.RetardComp << im.StartRetard << im.MAPSensor
      << im.GPI1Mode << im.GPI1Retard << im.GPI2Mode << im.GPI2Retard << im.GPIO3Mode
      << im.GPIO3Retard << im.GPIO3MinRPM << im.GPIO3MaxRPM;
    for (int k = 1; k <= ConfigImage::kRpmColumns; ++k) {
        s << im.Table2D(k, 1) << im.Table2D(k, 2);
        for (int r = 1; r <= ConfigImage::kMapRows; ++r) s << im.Table3D(k, r);
    }
}

// QDataStream's >> under the name << so that one list serves both ways.
struct Reader {
    QDataStream& in;
    template <typename T>
    Reader& operator<<(T& v) {
        in >> v;
        return *this;
    }
};

}  // namespace

QByteArray packParams(const ConfigImage& image) {
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << kParamsForm;
    eachParam(s, image);
    return out;
}

bool unpackParams(ConfigImage& image, const QByteArray& packed) {
    QDataStream in(packed);
    quint32 form = 0;
    in >> form;
    if (form != kParamsForm) return false;
    ConfigImage read = image;
    Reader r{in};
    eachParam(r, read);
    if (in.status() != QDataStream::Ok) return false;
    image = read;
    return true;
}

qint64 keep(AppContext& ctx, HistoryEvent event, const QByteArray& bytes, const QString& source,
            const QString& note) {
    if (!ctx.history) return 0;
    return ctx.history->record(event, bytes, source, ctx.state.FirmwareID, note);
}

void keepBufferBeforeDrop(AppContext& ctx, const QString& note) {
    if (!ctx.history) return;
    ctx.tableEdits->keepEdits(note);
    if (ctx.image.BufferEmpty) return;
    if (keep(ctx, HistoryEvent::BufferKept, savedBytes(ctx.image), ctx.state.DisplayName, note))
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
    return store->record(HistoryEvent::FileReplaced, old, QFileInfo(path).absoluteFilePath()) != 0;
}

bool lastUploadFailed(const TuneHistory* store) {
    if (!store) return false;
    const auto last = store->newestTransfer();
    return last && eventNamed(last->event) == HistoryEvent::UploadFailed;
}

}  // namespace velo::history
