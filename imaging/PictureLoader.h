#pragma once

#include <QImage>

#include <atomic>
#include <cstdint>
#include <string>

#include "imaging/CompositionGeometry.h"

namespace muralto::imaging {

/// Most memory that decoding one picture may take (decoder buffers and the decoded image).
inline constexpr std::int64_t kDecodeMemoryLimit = 256LL * 1024 * 1024;
/// Pictures that declare more pixels than this are refused before any decoding.
inline constexpr std::int64_t kMaxDeclaredPixels = 1'000'000'000;

/// The bounds within which pictures are decoded.
struct DecodeLimits {
    std::int64_t pixels = kMaxDeclaredPixels;  ///< most pixels that a picture may declare
    std::int64_t memory = kDecodeMemoryLimit;  ///< most memory that decoding one may take
    const std::atomic<bool>* stop = nullptr;   ///< set: a JPEG's decoding gives up
};

/// A loaded picture, or why there is none.
struct LoadedPicture {
    QImage image;       ///< opaque RGB32, upright; null when loading failed
    std::string error;  ///< empty on success
    bool ok() const { return error.empty(); }
};

/// Loads the picture file at path (the system's bytes, any encoding), turned upright as its
/// EXIF orientation says and scaled down to fittedSize(upright size, target); it is never
/// enlarged. JPEG pictures are decoded directly at (about) that size; other formats are decoded
/// whole and then scaled smoothly. Metafiles are drawn straight at the fitted size of their
/// natural size; EPS files with the binary header show their TIFF or metafile preview, as
/// those pictures would show. Transparent areas show black.
///
/// Fails with a message, without decoding, when the file cannot be opened or is no regular file
/// (a folder, a device, a FIFO: none is ever read, nor waited for), is no picture that the
/// decoders know (an EPS file without a preview), is a JPEG whose header is damaged or longer than
/// kMaxJpegHeaderBytes, declares more pixels than limits.pixels, or would need more than
/// limits.memory to decode; fails likewise when decoding fails. target must have both sides
/// positive.
LoadedPicture loadPicture(const std::string& path, TargetSize target, DecodeLimits limits = {});

}  // namespace muralto::imaging
