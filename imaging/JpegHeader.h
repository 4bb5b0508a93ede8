#pragma once

#include <QIODevice>

#include <cstdint>
#include <optional>

namespace muralto::imaging {

/// What the markers before the first scan of a JPEG stream tell about decoding it.
struct JpegHeader {
    int width = 0;
    int height = 0;
    bool progressive = false;  ///< a progressive frame (SOF2, SOF6, SOF10, SOF14)
    bool multiScan = false;    ///< the first scan leaves out some of the frame's components
    /// Bytes that a decoder needs to hold every DCT coefficient of the picture at once, which it
    /// does for progressive and multi-scan streams whatever the output scale.
    std::int64_t coefficientBytes = 0;

    /// The EXIF orientation, 1 (as stored) to 8; 1 without EXIF data.
    int orientation = 1;

    bool buffersCoefficients() const { return progressive || multiScan; }
};

/// Reads the frame header and the first scan header of the JPEG stream at the device's current
/// position; the position is left after what was read. Nothing when the data does not start
/// with a JPEG start-of-image marker or no frame header comes before the end of the data.
std::optional<JpegHeader> readJpegHeader(QIODevice& device);

}  // namespace muralto::imaging
