#pragma once

#include "data/config_image.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace velo {

using ImageBytes = std::array<uint8_t, ConfigImage::kImageBytes>;

// The first 264 of `bytes` (a store's copy, say), zero after the last one there is.
ImageBytes imageBytesOf(const QByteArray& bytes);

// A data file is the 264 bytes of image offsets 16 to 279, nothing else. Bytes after
// the 264th are not read.
struct DataFileRead {
    enum Status { Ok, Short, Unreadable };
    Status status = Unreadable;
    QString reason;      // why an unreadable file could not be read
    QString error;       // the same with the file's name in front
    ImageBytes bytes{};  // with Short: the bytes that were there, zero after them
    int size = 0;        // bytes read, at most 264
};

// Also reads "@ID", an entry of Tune History ("./@5" is a file).
DataFileRead readDataFile(const QString& path);
// The entry a path such as "@5" names, if it names one.
std::optional<qint64> historyEntryId(const QString& path);

// Writes a new file beside the old one and puts it in place only when it is complete
// and on disk, so a failed save (disk full, no permission, a vanished folder) leaves
// the old file as it was. Returns the reason on failure, empty on success.
QString writeDataFile(const QString& path, const ImageBytes& bytes);

}  // namespace velo
