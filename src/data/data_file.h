#pragma once

#include "data/config_image.h"

#include <QString>
#include <array>
#include <cstdint>

namespace velo {

using ImageBytes = std::array<uint8_t, ConfigImage::kImageBytes>;

// A data file is the 264 bytes of image offsets 16 to 279, nothing else.
struct DataFileRead {
    enum Status { Ok, Short, Unreadable };
    Status status = Unreadable;
    QString error;       // why an unreadable file could not be read
    ImageBytes bytes{};  // with Short: the bytes that were there, zero after them
};

DataFileRead readDataFile(const QString& path);

// Writes a new file beside the old one and replaces it only when complete, so a failed
// save leaves the old file as it was. Returns the reason on failure, empty on success.
QString writeDataFile(const QString& path, const ImageBytes& bytes);

}  // namespace velo
