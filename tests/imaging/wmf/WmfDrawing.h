#pragma once

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <functional>
#include <string>

#include "imaging/wmf/WmfPlayer.h"

namespace muralto::imaging::test {

/// The metafile in bytes drawn for a target of size (a natural size within it is kept).
inline QImage renderBytes(const std::string& bytes, QSize size) {
    return renderWmf(bytes, {size.width(), size.height()}, 1LL << 30).image;
}

/// The same drawing made with QPainter straight onto black, with the player's render hints.
inline QImage drawReference(QSize size, const std::function<void(QPainter&)>& draw) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    draw(painter);
    return image;
}

/// Pixels at which a channel of the two images differs by more than tolerance; every pixel
/// when their sizes differ.
inline int differingPixels(const QImage& actual, const QImage& expected, int tolerance) {
    if (actual.size() != expected.size())
        return expected.width() * expected.height() + 1;
    int count = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
            if (std::abs(qRed(a) - qRed(e)) > tolerance ||
                std::abs(qGreen(a) - qGreen(e)) > tolerance ||
                std::abs(qBlue(a) - qBlue(e)) > tolerance)
                ++count;
        }
    }
    return count;
}

/// The bounding box of the pixels that are not black.
inline QRect inkBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

}  // namespace muralto::imaging::test
