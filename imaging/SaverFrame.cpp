#include "imaging/SaverFrame.h"

#include <QPainter>
#include <QRect>

#include <cstring>

#include "imaging/CompositionGeometry.h"

namespace muralto::imaging {

namespace {

/// The image as it would show on black: itself when it has no alpha channel.
QImage opaque(const QImage& image) {
    if (!image.hasAlphaChannel())
        return image;
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        return flat;
    flat.fill(Qt::black);
    QPainter(&flat).drawImage(0, 0, image);
    return flat;
}

/// The canvas centred in the window, cut to the window where it is larger.
SaverFrame centred(const QImage& canvas, QSize window) {
    const QPoint corner(roundHalfEven((window.width() - canvas.width()) / 2.0),
                        roundHalfEven((window.height() - canvas.height()) / 2.0));
    const QRect visible = QRect(corner, canvas.size()) & QRect(QPoint(0, 0), window);
    if (visible.size() == canvas.size())
        return {corner, opaque(canvas)};
    return {visible.topLeft(), opaque(canvas.copy(visible.translated(-corner)))};
}

/// How many whole pitches fit in length: none when the pitch has no length.
long long wholeSteps(long long length, long long pitch) {
    return pitch > 0 ? length / pitch : 0;
}

/// The grid's pitch: W + 4 across, T + 4 down. T is H, or H + 1.5 x glCharHeight rounded half
/// to even when a caption was drawn. A pitch longer than the window counts as 0 (no copies),
/// which also keeps the rounding away from values that do not fit an int.
QSize gridPitch(const CompositionRequest& request, QSize window) {
    const long long across = static_cast<long long>(request.target.width) + 4;
    double tile = request.target.height;
    if (request.addCaption)
        tile += 1.5 * request.chars.glCharHeight;
    const bool downFits = tile + 4 <= window.height() && tile + 4 > 0;
    const int down = downFits ? roundHalfEven(tile) + 4 : 0;
    return {across <= window.width() ? static_cast<int>(across) : 0, down};
}

/// Copies the pitch-sized rectangle at (0, 0) of frame to every other whole tile of the grid.
/// Copies never overlap the source, since each lies a whole number of pitches away from it.
void copyTiles(QImage& frame, QSize pitch) {
    const long long columns = wholeSteps(frame.width(), pitch.width());
    const long long rows = wholeSteps(frame.height(), pitch.height());
    if (columns == 0 || rows == 0)
        return;
    const std::size_t tileBytes = static_cast<std::size_t>(pitch.width()) * 4;
    uchar* const bits = frame.bits();
    const qsizetype stride = frame.bytesPerLine();
    for (long long row = 0; row < rows; ++row) {
        for (int line = 0; line < pitch.height(); ++line) {
            const uchar* source = bits + line * stride;
            uchar* target = bits + (row * pitch.height() + line) * stride;
            for (long long column = row == 0 ? 1 : 0; column < columns; ++column)
                std::memcpy(target + column * tileBytes, source, tileBytes);
        }
    }
}

/// A black window-sized picture with the canvas at its top-left corner and its tile repeated
/// over the grid.
SaverFrame tiled(const QImage& canvas, const CompositionRequest& request, QSize window) {
    if (static_cast<long long>(window.width()) * window.height() > kMaxFramePixels)
        return {};
    QImage frame(window, QImage::Format_RGB32);
    if (frame.isNull())
        return {};
    frame.fill(Qt::black);
    QPainter(&frame).drawImage(0, 0, canvas);
    copyTiles(frame, gridPitch(request, window));
    return {QPoint(0, 0), std::move(frame)};
}

}  // namespace

SaverFrame composeSaverFrame(const QImage& canvas, const CompositionRequest& request,
                             QSize window) {
    if (canvas.isNull() || window.width() <= 0 || window.height() <= 0)
        return {};
    if (request.scaleFactor <= 1)
        return centred(canvas, window);
    return tiled(canvas, request, window);
}

}  // namespace muralto::imaging
