#include "data/data_file.h"

#include "core/tune_history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace velo {

namespace {

DataFileRead unreadable(const QString& path, const QString& reason) {
    DataFileRead r;
    r.reason = reason;
    r.error = QString("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    return r;
}

// An entry of Tune History, read as its data file would be.
DataFileRead readHistoryEntry(const QString& path, qint64 id) {
    const TuneHistory store;
    const auto e = store.entry(id);
    if (!e)
        return unreadable(
            path, store.error().isEmpty() ? "No such entry in Tune History" : store.error());
    DataFileRead r;
    r.size = int(std::min<qsizetype>(e->bytes.size(), ConfigImage::kImageBytes));
    r.bytes = imageBytesOf(e->bytes);
    r.status = r.size < ConfigImage::kImageBytes ? DataFileRead::Short : DataFileRead::Ok;
    return r;
}

}  // namespace

ImageBytes imageBytesOf(const QByteArray& bytes) {
    ImageBytes out{};
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), out.size()), out.begin());
    return out;
}

std::optional<qint64> historyEntryId(const QString& path) {
    static const QRegularExpression kEntry("^@(\\d+)$");
    const QRegularExpressionMatch m = kEntry.match(path);
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toLongLong();
}

DataFileRead readDataFile(const QString& path) {
    if (const auto id = historyEntryId(path)) return readHistoryEntry(path, *id);
    if (QFileInfo(path).isDir()) return unreadable(path, "Is a folder, not a file");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return unreadable(path, f.errorString());
    const QByteArray data = f.read(ConfigImage::kImageBytes);
    if (f.error() != QFileDevice::NoError) return unreadable(path, f.errorString());
    DataFileRead r;
    r.bytes = imageBytesOf(data);
    r.size = int(data.size());
    r.status = r.size < ConfigImage::kImageBytes ? DataFileRead::Short : DataFileRead::Ok;
    return r;
}

QString writeDataFile(const QString& path, const ImageBytes& bytes) {
    QSaveFile f(path);
    // Never fall back to writing over the old file in place.
    f.setDirectWriteFallback(false);
    // Unbuffered, so that a short write (a full disk) shows in write()'s count; a
    // buffered flush lets it pass and the shortened file would replace the old one.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return f.errorString();
    if (f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
        qint64(bytes.size())) {
        QString why = f.errorString();
        if (f.error() == QFileDevice::NoError) why = "The disk is full or the file too large";
        f.cancelWriting();
        return why;
    }
    if (!f.commit()) return f.errorString();
    return {};
}

}  // namespace velo
