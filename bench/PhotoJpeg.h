#pragma once

#include <QImage>

#include <cstdint>
#include <string>

namespace muralto::bench {

/// A picture of width x height with detail like a photograph's: soft gradients and shapes under
/// fine grain, so that a JPEG of it takes about as much work to decode as a camera's does. The
/// same seed gives the same picture. Null when the memory for it is missing.
QImage photoLikeImage(int width, int height, std::uint32_t seed);

/// Writes photoLikeImage as a JPEG of quality 90 (4:2:0) to path; empty or what failed.
std::string writePhotoJpeg(const std::string& path, int width, int height, std::uint32_t seed);

}  // namespace muralto::bench
