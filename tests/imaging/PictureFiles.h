#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>

#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <jpeglib.h>

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

/// A CMYK JPEG of one row, which libjpeg writes but does not turn into RGB on reading.
inline std::string cmykJpeg(int width) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = 1;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * 4, 0x80);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

}  // namespace muralto::imaging::test

/// Lets GoogleTest print sizes readably.
inline void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << " x " << size.height();
}
