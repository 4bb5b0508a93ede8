#pragma once

#include <QIODevice>

#include <cstdint>
#include <string>

namespace muralto::imaging {

/// Most bytes that the markers before the first scan of a JPEG stream may take. The largest
/// metadata that real pictures keep there is an ICC profile, which can be split over at most 255
/// APP2 segments of 64 KB (16.7 MB); EXIF (one segment) and XMP (a few) come on top. Any more is
/// no picture worth waiting for: without this bound a large file of other data behind a JPEG
/// start-of-image marker would be scanned to its end.
inline constexpr std::int64_t kMaxJpegHeaderBytes = 24LL << 20;

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
    /// How many markers come before the first scan (or the end of the data).
    std::int64_t segments = 0;

    bool buffersCoefficients() const { return progressive || multiScan; }
};

/// What the start of some data says about it as a JPEG stream.
struct JpegScan {
    enum class Kind {
        NotJpeg,   ///< the data does not start with a JPEG start-of-image marker
        Header,    ///< a JPEG stream; header holds what its markers tell
        Unusable,  ///< a JPEG stream without a frame header, or whose header is too long
    };
    Kind kind = Kind::NotJpeg;
    JpegHeader header;  ///< when kind is Header
    std::string error;  ///< when kind is Unusable: why
};

/// Reads the frame header and the first scan header of the JPEG stream at the device's current
/// position, at most kMaxJpegHeaderBytes of it; the position is left somewhere after what was
/// read. The segments that tell nothing about decoding are skipped by seeking where the device
/// allows it. A stream whose data ends after its frame header counts as one with a header.
JpegScan readJpegHeader(QIODevice& device);

}  // namespace muralto::imaging
