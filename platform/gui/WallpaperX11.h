#pragma once

#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/WallpaperSetter.h"

namespace muralto::platform {

/// How the X server lays out one pixel of a ZPixmap image of the root window's depth.
struct XPixelFormat {
    int depth = 24;
    int bitsPerPixel = 32;  ///< 16, 24 or 32 are supported
    int scanlinePad = 32;   ///< each row is padded to a multiple of this many bits
    bool msbFirst = false;  ///< the server's image byte order
    std::uint32_t redMask = 0xFF0000;
    std::uint32_t greenMask = 0x00FF00;
    std::uint32_t blueMask = 0x0000FF;
};

/// The image's pixels in the server's layout: each colour scaled into its mask (the bits
/// of a 32-bit depth that no colour uses are set, so an alpha channel reads opaque), each
/// pixel in the server's byte order, each row padded. *stride receives the row length in
/// bytes. Empty for a pixel size other than 16, 24 or 32 bits.
std::vector<std::uint8_t> packPixels(const QImage& image, const XPixelFormat& format,
                                     std::size_t* stride);

/// Whether the rows of an RGB32 image of the given width are already laid out as packPixels
/// would lay them out for the server, so that they can be sent as they are. RGB32 keeps its
/// unused byte at 0xFF, which a depth of 32 wants set.
bool rgb32IsServerLayout(const XPixelFormat& format, int width);

/// One monitor of the screen as RandR lists it.
struct Monitor {
    QRect area;                       ///< in root window pixels
    bool primary = false;             ///< flagged primary
    bool showsPrimaryOutput = false;  ///< one of its outputs is the primary output
};

/// The part of a screen of the given size that the wallpaper goes on: the primary monitor,
/// which is the one flagged primary, else the one showing the primary output, else the first
/// listed (the one Qt reports as the primary screen, for which the bitmap is sized). The
/// whole screen when no monitor is listed; a monitor is cut to the screen.
QRect wallpaperArea(const std::vector<Monitor>& monitors, QSize screen);

/// A picture of the whole screen: black, with the bitmap on area, once in its middle (odd
/// leftovers go right and down) or repeated from its top-left corner, and cut to it.
QImage composeScreen(const QImage& bitmap, QSize screen, const QRect& area, Placement placement);

/// Any other X11 session: draws the screen into a pixmap of the root window, with the bitmap
/// on the primary monitor (see wallpaperArea; RandR 1.5 lists the monitors), makes it the
/// root's background and publishes it in _XROOTPMAP_ID and ESETROOT_PMAP_ID, so programs that
/// look for the desktop's picture find it. It works on its own short-lived connection whose
/// resources the server keeps after it closes; the previous setter's pixmap is freed by
/// killing that setter's retained resources, as other root-window setters do.
class X11WallpaperSetter : public WallpaperSetter {
public:
    /// displayName names the X display; empty means $DISPLAY.
    explicit X11WallpaperSetter(std::string displayName = {})
        : displayName_(std::move(displayName)) {}
    Result<> setWallpaper(const WallpaperJob& job) override;
    std::string_view name() const override { return "x11"; }

    /// The most image bytes sent in one request, to keep each request short for the server.
    static constexpr std::size_t kMaxChunkBytes = 256 * 1024;

private:
    std::string displayName_;
};

}  // namespace muralto::platform
