#include "data/data_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace velo {

DataFileRead readDataFile(const QString& path) {
    DataFileRead r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = QString("%1: %2").arg(QDir::toNativeSeparators(path), f.errorString());
        return r;
    }
    const QByteArray data = f.read(ConfigImage::kImageBytes);
    if (f.error() != QFileDevice::NoError) {
        r.error = QString("%1: %2").arg(QDir::toNativeSeparators(path), f.errorString());
        return r;
    }
    std::copy(data.begin(), data.end(), r.bytes.begin());
    r.status = data.size() < ConfigImage::kImageBytes ? DataFileRead::Short : DataFileRead::Ok;
    return r;
}

QString writeDataFile(const QString& path, const ImageBytes& bytes) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString("%1: %2").arg(QDir::toNativeSeparators(path), f.errorString());
    if (f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
        qint64(bytes.size())) {
        const QString why = f.errorString();
        f.cancelWriting();
        return QString("%1: %2").arg(QDir::toNativeSeparators(path), why);
    }
    if (!f.commit()) return QString("%1: %2").arg(QDir::toNativeSeparators(path), f.errorString());
    return {};
}

}  // namespace velo
