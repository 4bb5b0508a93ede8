#pragma once

#include <QImage>

#include <cstdint>
#include <optional>
#include <string_view>

namespace muralto::imaging {

/// A decoded bitmap, and whether its rows were stored bottom-up (so that source rectangles
/// count their y from the bottom row).
struct DecodedDib {
    QImage image;
    bool bottomUp = true;
};

/// The pixels that a packed bitmap's header declares; 0 when it has no header of a known kind.
std::int64_t dibPixels(std::string_view bytes);

/// Decodes a packed device-independent bitmap (an info or core header, the colour table, the
/// rows) of 1, 4, 8, 16, 24 or 32 bits a pixel, uncompressed or with bit-field masks, to an
/// opaque upright RGB32 image. With paletteIndices the colour table holds 16-bit palette
/// indices, which are shown as shades of grey (no palette is kept). Nothing when the bitmap
/// is of another kind, holds more than maxPixels pixels, or its rows do not fit in bytes.
std::optional<DecodedDib> decodeDib(std::string_view bytes, std::int64_t maxPixels,
                                    bool paletteIndices = false);

}  // namespace muralto::imaging
