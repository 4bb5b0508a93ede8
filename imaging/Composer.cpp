#include "imaging/Composer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>

#include "imaging/PictureLoader.h"
#include "platform/image/PagedImage.h"

namespace muralto::imaging {

namespace {

/// The fitted picture on its canvas: the picture itself at scale factor 1, otherwise centred
/// on a black tile.
QImage placePicture(QImage picture, TargetSize target, std::int32_t scaleFactor) {
    if (scaleFactor <= 1)
        return picture;
    const PictureLayout layout = layoutPicture(picture.size(), target, scaleFactor);
    QImage tile = platform::pagedImage(layout.canvas, QImage::Format_RGB32);
    if (tile.isNull())
        return tile;
    tile.fill(Qt::black);
    QPainter painter(&tile);
    painter.drawImage(layout.picture.topLeft(), picture);
    return tile;
}

/// The canvas grown by the caption strip, with the caption written on it.
QImage withCaption(QImage canvas, const CompositionRequest& request) {
    const CaptionLayout layout =
        layoutCaption(canvas.size(), request.chars.glCharHeight, request.chars.glCharWidth);
    QImage grown = platform::pagedImage(layout.canvas, QImage::Format_RGB32);
    if (grown.isNull())
        return grown;
    QPainter painter(&grown);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, canvas);
    const int below = canvas.height();
    canvas = QImage();  // keep one full canvas in memory, not two
    // The picture covers the canvas down to its own height; the rest is black, strip included.
    const int width = layout.canvas.width();
    painter.fillRect(QRect(0, below, width, layout.canvas.height() - below), Qt::black);
    painter.fillRect(QRect(0, layout.stripTop, width, layout.canvas.height() - layout.stripTop),
                     Qt::black);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(Qt::white);
    painter.setFont(request.font);
    const std::string text = captionText(request.imagePath, request.imageDirectory);
    const QPoint baseline(layout.text.x(), layout.text.y() + painter.fontMetrics().ascent());
    painter.drawText(baseline, QFile::decodeName(QByteArray::fromStdString(text)));
    return grown;
}

std::string outOfMemory(const CompositionRequest& request) {
    return "not enough memory to compose '" + request.imagePath + "'";
}

}  // namespace

QFont canvasFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

CharMetrics measureCharMetrics(const QFont& font) {
    const QFontMetricsF metrics(font);
    return {roundHalfEven(metrics.height()), roundHalfEven(metrics.horizontalAdvance(u'W'))};
}

Composition composeImage(const CompositionRequest& request) {
    const TargetSize target = request.target;
    if (target.width <= 0 || target.height <= 0) {
        return {{},
                "the area for the picture is too small (" + std::to_string(target.width) + " x " +
                    std::to_string(target.height) + " pixels)"};
    }
    DecodeLimits limits;
    limits.stop = request.stop;
    LoadedPicture picture = loadPicture(request.imagePath, target, limits);
    if (!picture.ok())
        return {{}, picture.error};
    QImage canvas = placePicture(std::move(picture.image), target, request.scaleFactor);
    if (!canvas.isNull() && request.addCaption)
        canvas = withCaption(std::move(canvas), request);
    if (canvas.isNull())
        return {{}, outOfMemory(request)};
    return {std::move(canvas), {}};
}

}  // namespace muralto::imaging
