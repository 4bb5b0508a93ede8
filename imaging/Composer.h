#pragma once

#include <QFont>
#include <QImage>

#include <atomic>
#include <cstdint>
#include <string>

#include "imaging/CompositionGeometry.h"

namespace muralto::imaging {

/// The canvas font that captions are written in: the system's sans-serif face ("Sans Serif"
/// through fontconfig) at 11 pixels, which is 8 points at 96 dots per inch. A size in pixels
/// keeps the caption's size independent of the screen's resolution.
QFont canvasFont();

/// Height and width of the text "W" in the canvas font, in whole pixels.
struct CharMetrics {
    std::int32_t glCharHeight = 0;
    std::int32_t glCharWidth = 0;
    bool operator==(const CharMetrics&) const = default;
};

/// Measures "W" in font: its line height and its advance, each rounded half to even. Needs a
/// QGuiApplication (the font database).
CharMetrics measureCharMetrics(const QFont& font);

/// Everything the composition of one picture needs.
struct CompositionRequest {
    std::string imagePath;       ///< the chosen picture's full path, in the system's bytes
    std::string imageDirectory;  ///< the image directory the caption is relative to, ending '/'
    TargetSize target;           ///< W x H: after targetSize and, with a caption, the caption room
    std::int32_t scaleFactor = 1;
    bool addCaption = false;  ///< write the path below the picture (AddPath, not in preview)
    CharMetrics chars;        ///< sizes the caption strip and the text's left margin
    QFont font = canvasFont();
    const std::atomic<bool>* stop = nullptr;  ///< set: loading the picture gives up
};

/// A composed canvas, or why there is none.
struct Composition {
    QImage canvas;      ///< opaque RGB32; null when composing failed
    std::string error;  ///< empty on success
    bool ok() const { return error.empty(); }
};

/// Loads the chosen picture and composes the canvas that becomes the wallpaper or the saver's
/// frame. At scaleFactor 1 the canvas is the picture fitted to the target (never enlarged); at
/// 2 or more it is one tile of (W + 4) x (H + 4) pixels, black, with the fitted picture
/// centred. With a caption the canvas then grows by 1.5 * glCharHeight + 1 pixels (rounded half
/// to even), the rows from height - 1.5 * glCharHeight down form a black strip across the whole
/// width, and the picture's path relative to the image directory is written on it in white,
/// one line with its top at height - 1.25 * glCharHeight and its left at glCharWidth, neither
/// shortened nor wrapped.
///
/// A picture that cannot be loaded, or a target without area, gives an error and no canvas.
Composition composeImage(const CompositionRequest& request);

}  // namespace muralto::imaging
