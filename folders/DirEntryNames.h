#pragma once

namespace muralto::imaging {

/// Whether a folder entry is "." or "..", which every walk of a folder skips.
inline bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace muralto::imaging
