#pragma once

#include <QRect>
#include <QSize>

#include <cstdint>
#include <string>

namespace muralto::imaging {

/// Rounds to the nearest integer, halves to the even neighbour (748.5 gives 748, 749.5 gives
/// 750). Every real-valued size and position of the composition becomes a whole pixel this way.
int roundHalfEven(double value);

/// The area W x H that a picture must fit, in pixels.
struct TargetSize {
    int width = 0;
    int height = 0;
    bool operator==(const TargetSize&) const = default;
};

/// The target for a screen (or preview window) of areaWidth x areaHeight pixels: each side
/// divided by scaleFactor (integer division), less 4 each when scaleFactor is above 1, so that
/// W + 4 and H + 4 are one tile of the grid. A scaleFactor below 1 counts as 1.
TargetSize targetSize(int areaWidth, int areaHeight, std::int32_t scaleFactor);

/// The target height that leaves room for the caption strip below the picture:
/// height - 1.5 * charHeight, rounded half to even.
int heightWithCaptionRoom(int height, int charHeight);

/// The size at which a picture of the given size is shown in target: its own size when it
/// fits (never enlarged), otherwise scaled down by the larger of width / W and height / H (a tie
/// takes the width's ratio), keeping its aspect ratio. Each side is at least 1 pixel. The target
/// must have both sides positive.
QSize fittedSize(QSize picture, TargetSize target);

/// Where a fitted picture goes on the canvas.
struct PictureLayout {
    QSize canvas;   ///< the canvas before any caption strip
    QRect picture;  ///< the fitted picture's rectangle on the canvas
};

/// At scaleFactor 1 the canvas is the fitted picture itself; at 2 or more it is the tile
/// (W + 4) x (H + 4) with the fitted picture centred in it (2 pixels of margin at least).
PictureLayout layoutPicture(QSize picture, TargetSize target, std::int32_t scaleFactor);

/// The caption strip below a canvas of the given size.
struct CaptionLayout {
    QSize canvas;  ///< the canvas grown by 1.5 * charHeight + 1, rounded half to even
    int stripTop;  ///< first row of the black strip, which runs to the canvas's bottom
    QPoint text;   ///< top-left corner of the text line: (charWidth, height - 1.25 * charHeight)
};

CaptionLayout layoutCaption(QSize canvas, int charHeight, int charWidth);

/// The caption of a picture: its full path without the first imageDirectory.size() bytes (the
/// directory ends with '/'). Empty when the path is not longer than the directory.
std::string captionText(const std::string& imagePath, const std::string& imageDirectory);

}  // namespace muralto::imaging
