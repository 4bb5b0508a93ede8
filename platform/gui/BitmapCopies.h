#pragma once

#include <QImage>

#include <string>

#include "platform/gui/Result.h"

namespace muralto::platform {

/// Copies the bitmap to a fresh name beside it, "<stem>~<n><extension>" with n one more than
/// the highest copy there, so desktops that cache by path see a new file. Keeps only the two
/// newest copies of that bitmap (the one just made and the one the desktop may still show).
/// A '~' cannot be part of a user name, so a copy never takes another user's bitmap name.
/// Returns the copy's path.
Result<std::string> makeFreshCopy(const std::string& bitmapPath);

/// The picture in the file at path (the system's bytes, which need not be UTF-8); a null image
/// when it cannot be read.
QImage readImage(const std::string& path);
/// Writes the image as a BMP file at path, at once (see replaceFile); false when it cannot.
bool writeBmp(const QImage& image, const std::string& path);

}  // namespace muralto::platform
