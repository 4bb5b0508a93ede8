#pragma once

#include <QImage>

#include <optional>
#include <string>

namespace muralto::imaging {

/// The bitmap's file name: the user's name and ".bmp", or "No Logged In User.bmp" without one.
std::string bitmapFileName(const std::optional<std::string>& userName);

/// Where the user's wallpaper bitmap goes: programDirectory, a '/' unless it ends with one, and
/// bitmapFileName when that directory is writable; otherwise the same name in
/// ${XDG_DATA_HOME:-$HOME/.local/share}/Brenwick/Muralto/, which is created (mode 0700) when
/// missing. A relative XDG_DATA_HOME is ignored, as the XDG rules say.
std::string wallpaperBitmapPath(const std::string& programDirectory,
                                const std::optional<std::string>& userName);

/// Writes canvas as an uncompressed 24-bit bottom-up BMP to path, replacing the file there
/// atomically: the bytes go to a temporary file in the same folder, which is then renamed over
/// path, so a reader sees the old bitmap or the new one, never a part. Returns an
/// empty string on success, otherwise what failed; on failure the previous file is untouched
/// and no temporary file remains.
[[nodiscard]] std::string writeBitmap(const QImage& canvas, const std::string& path);

}  // namespace muralto::imaging
