#include "bench/PhotoJpeg.h"

#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <random>

namespace muralto::bench {

namespace {

/// Soft colour fields and shapes: the large structures of a scene.
void paintScene(QImage& image, std::mt19937& rng) {
    const int width = image.width();
    const int height = image.height();
    std::uniform_int_distribution<int> channel(0, 255);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(channel(rng), channel(rng), channel(rng)));
    sky.setColorAt(1, QColor(channel(rng), channel(rng), channel(rng)));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 60; ++i) {
        const QPointF centre(unit(rng) * width, unit(rng) * height);
        const double radius = (0.02 + 0.2 * unit(rng)) * height;
        QRadialGradient glow(centre, radius);
        glow.setColorAt(0, QColor(channel(rng), channel(rng), channel(rng), 220));
        glow.setColorAt(1, QColor(channel(rng), channel(rng), channel(rng), 40));
        painter.setBrush(glow);
        if (i % 3 == 0) {
            painter.drawRect(QRectF(centre, QSizeF(radius * 1.6, radius)));
        } else {
            painter.drawEllipse(centre, radius, radius * (0.4 + unit(rng)));
        }
    }
}

/// Fine grain and texture over every pixel, as a sensor and foliage give a photograph.
void addGrain(QImage& image, std::uint32_t seed) {
    std::uint64_t state = 0x9E3779B97F4A7C15u ^ seed;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            // One luminance offset with a little chroma: -12..+11 and -3..+3.
            const int grain = int((state & 0xFF) % 24) - 12;
            const int tint = int((state >> 8) % 7) - 3;
            const QRgb pixel = row[x];
            row[x] = qRgb(std::clamp(qRed(pixel) + grain + tint, 0, 255),
                          std::clamp(qGreen(pixel) + grain, 0, 255),
                          std::clamp(qBlue(pixel) + grain - tint, 0, 255));
        }
    }
}

}  // namespace

QImage photoLikeImage(int width, int height, std::uint32_t seed) {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    std::mt19937 rng(seed);
    paintScene(image, rng);
    addGrain(image, seed);
    return image;
}

std::string writePhotoJpeg(const std::string& path, int width, int height, std::uint32_t seed) {
    const QImage image = photoLikeImage(width, height, seed);
    if (image.isNull())
        return "not enough memory for a picture of " + std::to_string(width) + " x " +
               std::to_string(height);
    QImageWriter writer(QString::fromStdString(path), "jpeg");
    writer.setQuality(90);
    if (!writer.write(image))
        return "cannot write '" + path + "': " + writer.errorString().toStdString();
    return {};
}

}  // namespace muralto::bench
