#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cstdint>
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

/// An RGB TIFF of size in colour, 8 bits a sample, in deflated strips of rowsPerStrip rows.
inline std::string deflatedTiff(QSize size, QColor colour, int rowsPerStrip) {
    std::string out("II*\0\0\0\0\0", 8);
    const auto put = [](std::string& to, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            to.push_back(char(value >> (8 * i) & 0xFF));
    };
    const std::string pixel{char(colour.red()), char(colour.green()), char(colour.blue())};
    std::string offsets, counts;
    std::uint32_t firstOffset = 0, firstCount = 0;
    for (int top = 0; top < size.height(); top += rowsPerStrip) {
        const int rows = std::min(rowsPerStrip, size.height() - top);
        QByteArray strip(qsizetype(size.width()) * rows * 3, '\0');
        for (qsizetype i = 0; i < strip.size(); ++i)
            strip[i] = pixel[std::size_t(i % 3)];
        const QByteArray deflated = qCompress(strip).mid(4);  // a zlib stream without the size
        if (top == 0)
            firstOffset = std::uint32_t(out.size()), firstCount = std::uint32_t(deflated.size());
        put(offsets, std::uint32_t(out.size()), 4);
        put(counts, std::uint32_t(deflated.size()), 4);
        out += deflated.toStdString();
    }
    const auto strips = std::uint32_t(offsets.size() / 4);
    const auto bitsAt = std::uint32_t(out.size());
    out += std::string("\x08\0\x08\0\x08\0", 6);
    const auto offsetsAt = std::uint32_t(out.size());
    out += offsets;
    const auto countsAt = std::uint32_t(out.size());
    out += counts;
    const std::uint32_t directory = std::uint32_t(out.size());
    out.replace(4, 4,
                std::string{char(directory), char(directory >> 8), char(directory >> 16),
                            char(directory >> 24)});
    const std::uint32_t entries[][4] = {{256, 4, 1, std::uint32_t(size.width())},
                                        {257, 4, 1, std::uint32_t(size.height())},
                                        {258, 3, 3, bitsAt},
                                        {259, 3, 1, 8},  // deflate
                                        {262, 3, 1, 2},  // RGB
                                        {273, 4, strips, strips == 1 ? firstOffset : offsetsAt},
                                        {277, 3, 1, 3},
                                        {278, 4, 1, std::uint32_t(rowsPerStrip)},
                                        {279, 4, strips, strips == 1 ? firstCount : countsAt}};
    put(out, std::uint32_t(std::size(entries)), 2);
    for (const auto& entry : entries) {
        put(out, entry[0], 2);
        put(out, entry[1], 2);
        put(out, entry[2], 4);
        put(out, entry[3], 4);
    }
    put(out, 0, 4);
    return out;
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
