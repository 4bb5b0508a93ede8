#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>

#include <cstdlib>
#include <ostream>
#include <string>

namespace muralto::imaging::test {

/// The bytes of image encoded in format ("png", "jpeg", "bmp" ...).
inline std::string encode(const QImage& image, const char* format, bool progressive = false) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return buffer.data().toStdString();
}

inline QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

/// Whether two colours differ by at most tolerance in each channel (JPEG is lossy).
inline bool near(QRgb actual, QColor expected, int tolerance = 12) {
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

}  // namespace muralto::imaging::test

/// Lets GoogleTest print sizes readably.
inline void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << " x " << size.height();
}
