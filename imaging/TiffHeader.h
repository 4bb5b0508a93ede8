#pragma once

#include <QIODevice>

#include <cstdint>

namespace muralto::imaging {

/// Whether bytes start as a TIFF file does ("II*\0" or "MM\0*").
bool looksLikeTiff(const QByteArray& start);

/// Memory that the TIFF reader's decoder takes besides the picture it decodes to: the largest
/// strip or tile of the first picture in the file, decoded, which it holds whole while it
/// converts it. A picture stored in one strip needs its whole size once more. 0 when device
/// holds no TIFF header or its first directory cannot be read. Reads from device's start and
/// leaves its position anywhere.
std::int64_t tiffDecoderBytes(QIODevice& device);

}  // namespace muralto::imaging
