#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "imaging/wmf/WmfFunctions.h"
#include "imaging/wmf/WmfPlayer.h"

namespace muralto::imaging::test {

/// Little-endian 16-bit words.
inline std::string words(std::initializer_list<int> values) {
    std::string out;
    for (const int value : values) {
        out.push_back(char(value & 0xFF));
        out.push_back(char((value >> 8) & 0xFF));
    }
    return out;
}

inline std::string dword(std::uint32_t value) {
    return words({int(value & 0xFFFF), int(value >> 16)});
}

/// A colour reference: red, green, blue, flags.
inline std::string colourRef(QColor colour) {
    return {char(colour.red()), char(colour.green()), char(colour.blue()), 0};
}

/// Writes metafiles for the tests: records in the order given, then the headers and the
/// end-of-file record around them. Parameters are given as the file stores them.
class WmfWriter {
public:
    /// Starts with a placeable header of the given bounds and units per inch.
    /// Empty bounds leave the header out.
    WmfWriter& placeable(QRect bounds, int unitsPerInch) {
        if (bounds.isEmpty()) {
            placeable_.clear();
            return *this;
        }
        placeable_ = dword(0x9AC6CDD7) + words({0}) +
                     words({bounds.left(), bounds.top(), bounds.left() + bounds.width(),
                            bounds.top() + bounds.height(), unitsPerInch}) +
                     dword(0) + words({0});
        return *this;
    }
    WmfWriter& record(std::uint16_t function, const std::string& params) {
        const std::string padded = params.size() % 2 ? params + '\0' : params;
        records_ += dword(std::uint32_t(3 + padded.size() / 2)) + words({function}) + padded;
        return *this;
    }
    WmfWriter& record(std::uint16_t function, std::initializer_list<int> params) {
        return record(function, words(params));
    }
    WmfWriter& append(const std::string& records) {
        records_ += records;
        return *this;
    }

    WmfWriter& windowOrg(int x, int y) { return record(WmfFunction::SetWindowOrg, {y, x}); }
    WmfWriter& windowExt(int x, int y) { return record(WmfFunction::SetWindowExt, {y, x}); }
    WmfWriter& mapMode(int mode) { return record(WmfFunction::SetMapMode, {mode}); }
    WmfWriter& pen(int style, int width, QColor colour) {
        return record(WmfFunction::CreatePenIndirect, words({style, width, 0}) + colourRef(colour));
    }
    WmfWriter& brush(int style, QColor colour, int hatch = 0) {
        return record(WmfFunction::CreateBrushIndirect,
                      words({style}) + colourRef(colour) + words({hatch}));
    }
    WmfWriter& font(int height, int escapement, const char* face) {
        std::string name(32, '\0');
        name.replace(0, std::string(face).size(), face);
        return record(
            WmfFunction::CreateFontIndirect,
            words({height, 0, escapement, escapement, 400}) + std::string(8, '\0') + name);
    }
    WmfWriter& select(int index) { return record(WmfFunction::SelectObject, {index}); }
    WmfWriter& rectangle(int left, int top, int right, int bottom) {
        return record(WmfFunction::Rectangle, {bottom, right, top, left});
    }
    WmfWriter& textColour(QColor colour) {
        return record(WmfFunction::SetTextColor, colourRef(colour));
    }
    WmfWriter& backgroundMode(int mode) { return record(WmfFunction::SetBkMode, {mode}); }
    WmfWriter& textOut(int x, int y, const std::string& text) {
        std::string params = words({int(text.size())}) + text;
        if (text.size() % 2)
            params.push_back('\0');
        return record(WmfFunction::TextOut, params + words({y, x}));
    }

    /// The whole file: headers, records, end-of-file record.
    std::string bytes() const {
        const std::string end = dword(3) + words({0});
        const std::size_t total = (18 + records_.size() + end.size()) / 2;
        const std::string header = words({1, 9, 0x0300}) + dword(std::uint32_t(total)) +
                                   words({16}) + dword(0) + words({0});
        return placeable_ + header + records_ + end;
    }
    const std::string& records() const { return records_; }

private:
    std::string placeable_;
    std::string records_;
};

/// A packed bitmap of image with an info header: bits 1, 4 or 8 through a colour table of the
/// image's colours, 24 or 32 as stored colours; rows bottom-up unless topDown.
inline std::string packedDib(const QImage& image, int bits, bool topDown = false) {
    std::vector<QRgb> table;
    if (bits <= 8) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (std::find(table.begin(), table.end(), image.pixel(x, y)) == table.end())
                    table.push_back(image.pixel(x, y));
    }
    std::string out = dword(40) + dword(std::uint32_t(image.width())) +
                      dword(std::uint32_t(topDown ? -image.height() : image.height())) +
                      words({1, bits}) + dword(0) + dword(0) + dword(0) + dword(0) +
                      dword(std::uint32_t(table.size())) + dword(0);
    for (const QRgb colour : table)
        out += std::string{char(qBlue(colour)), char(qGreen(colour)), char(qRed(colour)), 0};
    const int stride = (image.width() * bits + 31) / 32 * 4;
    for (int row = 0; row < image.height(); ++row) {
        const int y = topDown ? row : image.height() - 1 - row;
        std::string line(std::size_t(stride), '\0');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = image.pixel(x, y);
            const int index = int(std::find(table.begin(), table.end(), colour) - table.begin());
            if (bits <= 8) {
                const int perByte = 8 / bits;
                line[std::size_t(x / perByte)] |= char(index << (perByte - 1 - x % perByte) * bits);
            } else {
                const std::size_t at = std::size_t(x) * std::size_t(bits / 8);
                line[at] = char(qBlue(colour));
                line[at + 1] = char(qGreen(colour));
                line[at + 2] = char(qRed(colour));
            }
        }
        out += line;
    }
    return out;
}

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
            count += std::max({std::abs(qRed(a) - qRed(e)), std::abs(qGreen(a) - qGreen(e)),
                               std::abs(qBlue(a) - qBlue(e))}) > tolerance;
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
