#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>

#include <cstdint>
#include <string>
#include <string_view>

#include "imaging/CompositionGeometry.h"
#include "imaging/wmf/WmfContext.h"
#include "imaging/wmf/WmfFormat.h"

namespace muralto::imaging {

/// How a play went: the records played, and why it ended before the end-of-file record (empty
/// when it did not).
struct WmfPlay {
    int records = 0;
    std::string stopped;
};

/// Plays the records of a metafile with painter, the frame (logical units, as wmfFrame gives
/// it) drawn onto the canvas rectangle (pixels of painter's device). Records the player does
/// not know are skipped by their size; a record size that is zero, too small or points past the
/// end ends the play, as do the limits; what was drawn until then stays.
WmfPlay playWmf(std::string_view bytes, const WmfHeader& header, const QRectF& frame,
                QPainter& painter, const QRectF& canvas, const WmfLimits& limits = {});

/// A metafile drawn on black, or why it is not.
struct WmfPicture {
    QImage image;  ///< opaque RGB32; null on failure
    std::string error;
    QSize natural;  ///< the natural size, when the headers give one
};

/// Draws the metafile in bytes at fittedSize(its natural size, target), straight at that size.
/// Fails when bytes hold no metafile header, no size, or the picture would need more than
/// memoryLimit bytes.
WmfPicture renderWmf(std::string_view bytes, TargetSize target, std::int64_t memoryLimit,
                     const WmfLimits& limits = {});

}  // namespace muralto::imaging
