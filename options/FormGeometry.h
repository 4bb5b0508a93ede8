#pragma once

#include <QString>
#include <cstdint>

#include "options/TwipRect.h"

namespace muralto::options {

/// The program's version as the window's caption shows it.
struct VersionNumbers {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

/// Where the tab strip goes in a client area of the given size: 150 twips in from every side.
TwipRect fitTabStrip(std::int32_t clientWidth, std::int32_t clientHeight);

/// Where a tab page goes over the strip's client area (the area inside its tabs and border):
/// 8 twips in from every side.
TwipRect insetPage(const TwipRect& stripClient);

/// The top left corner that centres a window horizontally on the screen and vertically in the
/// screen's upper 80 %. Each difference is rounded to whole twips (halves to even) before it is
/// halved, and the halving truncates toward zero, so a window larger than the screen gets a
/// negative position. Everything in twips.
struct TwipPoint {
    std::int32_t left = 0;
    std::int32_t top = 0;
    bool operator==(const TwipPoint&) const = default;
};
TwipPoint centreInUpperScreen(double screenWidth, double screenHeight, double windowWidth,
                              double windowHeight);

/// caption, a blank and "major.minor", then for a revision from 1 the letter of that rank
/// ("a" for 1, "b" for 2, and on through the characters after "z" for higher ones).
QString captionWithVersion(const QString& caption, const VersionNumbers& version);

}  // namespace muralto::options
