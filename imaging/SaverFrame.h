#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

#include <cstdint>

#include "imaging/Composer.h"

namespace muralto::imaging {

/// Most pixels of a window-sized tiled frame: 2^27, which is 512 MiB at 4 bytes a pixel and
/// holds a 16K screen (15360 x 8640). A larger window gets an empty frame instead of an
/// allocation of gigabytes.
inline constexpr std::int64_t kMaxFramePixels = std::int64_t{1} << 27;

/// Where the saver window's picture box goes and what it shows.
struct SaverFrame {
    QPoint position;  ///< the picture box's top-left corner in the window
    QImage picture;   ///< its content, opaque
    /// Whether there is anything to show; an empty frame leaves the window's own background.
    bool isEmpty() const { return picture.isNull(); }
};

/// The frame for a window of `window` pixels (the saver's full screen, or the preview's own
/// size) from the canvas composeImage made for `request`: at ScaleFactor 1 the canvas itself,
/// centred; at 2 or more a window-sized picture with the canvas's tile copied to every whole
/// tile of the grid from the top-left corner (pitch W + 4 across, T + 4 down, T = H + 1.5 x
/// glCharHeight rounded half to even when a caption was drawn, else H), the rest black.
///
/// Centring: the corner is (window - canvas) / 2 on each axis, rounded half to even like every
/// other real-valued position of the composition. A canvas larger than the window is cut to
/// the window's visible part, so the picture box never reaches outside the window.
///
/// Tiling: the canvas is first drawn at the top-left corner of a black window-sized picture;
/// then the pitch-sized rectangle at (0, 0) is copied to every other grid position at which a
/// whole tile fits, so a strip at the right or bottom narrower than a pitch stays black. A
/// pitch without area (a huge ScaleFactor) places no copies.
///
/// An empty canvas, a window without area, or a tiled frame of more than kMaxFramePixels
/// pixels gives an empty frame. The centred frame allocates nothing beyond the canvas, so it
/// has no such bound.
SaverFrame composeSaverFrame(const QImage& canvas, const CompositionRequest& request, QSize window);

}  // namespace muralto::imaging
