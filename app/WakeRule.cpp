#include "app/WakeRule.h"

#include <cmath>
#include <cstdlib>

namespace muralto::app {
namespace {

/// Rounds to the nearest whole number, halves to the even neighbour, clamped to 32 bits.
std::int32_t roundHalfEven(double v) {
    if (!std::isfinite(v))
        return 0;
    const double clamped = std::fmax(std::fmin(v, 2147483647.0), -2147483648.0);
    return static_cast<std::int32_t>(std::nearbyint(clamped));
}

}  // namespace

bool WakeRule::wakes(double x, double y) {
    if (!bStarted) {
        bStarted = true;
        lLastX = roundHalfEven(x);
        lLastY = roundHalfEven(y);
        return false;
    }
    return std::fabs(lLastX - x) > kSlack || std::fabs(lLastY - y) > kSlack;
}

}  // namespace muralto::app
