#pragma once

#include <algorithm>
#include <cstdint>

namespace muralto::options {

/// A control's position and size in twips, relative to its container.
struct TwipRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool operator==(const TwipRect&) const = default;
};

/// A size that a subtraction may have made negative, kept at zero or above.
inline std::int32_t nonNegative(std::int64_t size) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(size, 0));
}

}  // namespace muralto::options
