#pragma once

#include <cmath>
#include <cstdint>

namespace muralto::settings {

/// Window positions and sizes are stored and laid out in twips: 1440 to the inch, so 15 to the
/// pixel at 96 dots per inch and 7.5 at 192.
inline constexpr double kTwipsPerInch = 1440.0;

/// Twips per pixel for a screen's logical dots per inch; 15 when the screen reports none.
inline double twipsPerPixel(double logicalDpi) {
    return logicalDpi > 0 ? kTwipsPerInch / logicalDpi : 15.0;
}

/// A length in twips as whole pixels, halves to the even neighbour.
inline std::int64_t twipsToPixels(double twips, double perPixel) {
    return static_cast<std::int64_t>(std::nearbyint(twips / perPixel));
}

/// A length in pixels as whole twips, halves to the even neighbour.
inline std::int64_t pixelsToTwips(double pixels, double perPixel) {
    return static_cast<std::int64_t>(std::nearbyint(pixels * perPixel));
}

}  // namespace muralto::settings
