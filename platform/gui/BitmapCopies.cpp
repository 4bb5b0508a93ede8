#include "platform/gui/BitmapCopies.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/FileIo.h"
#include "platform/image/PagedImage.h"

namespace muralto::platform {

namespace fs = std::filesystem;

namespace {

/// A copy of the bitmap with its number, as found in the bitmap's folder.
struct NumberedCopy {
    std::uint64_t number;
    fs::path path;
};

/// The number in name when name is "<stem>~<digits><extension>".
std::optional<std::uint64_t> copyNumber(const std::string& name, const std::string& stem,
                                        const std::string& extension) {
    const std::string prefix = stem + "~";
    if (name.size() <= prefix.size() + extension.size())
        return std::nullopt;
    if (name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) {
        return std::nullopt;
    }
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    if (digits.size() > 18)
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoull(digits);
}

std::vector<NumberedCopy> findCopies(const fs::path& bitmap) {
    const std::string stem = bitmap.stem().string();
    const std::string extension = bitmap.extension().string();
    const fs::path folder = bitmap.has_parent_path() ? bitmap.parent_path() : fs::path(".");
    std::vector<NumberedCopy> copies;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto number = copyNumber(it->path().filename().string(), stem, extension);
        if (number)
            copies.push_back({*number, it->path()});
    }
    std::sort(copies.begin(), copies.end(),
              [](const NumberedCopy& a, const NumberedCopy& b) { return a.number > b.number; });
    return copies;
}

fs::path copyName(const fs::path& bitmap, std::uint64_t number) {
    return bitmap.parent_path() /
           (bitmap.stem().string() + "~" + std::to_string(number) + bitmap.extension().string());
}

}  // namespace

Result<std::string> makeFreshCopy(const std::string& bitmapPath) {
    const fs::path bitmap(bitmapPath);
    auto copies = findCopies(bitmap);
    const std::uint64_t next = copies.empty() ? 1 : copies.front().number + 1;
    const fs::path copy = copyName(bitmap, next);
    std::error_code ec;
    fs::copy_file(bitmap, copy, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        Failure failure{"cannot copy " + bitmapPath + " to " + copy.string() + ": " + ec.message()};
        fs::remove(copy, ec);
        return failure;
    }
    // The new copy is the newest; the one before it may still be on screen. Older ones go.
    for (std::size_t i = 1; i < copies.size(); ++i)
        fs::remove(copies[i].path, ec);
    return copy.string();
}

// A bitmap is read straight from the file by Qt's own BMP reader, with no guessing of the
// format: guessing loads every image format plugin (and the libraries behind them) into the
// resident program only to ask each whether it knows the file.
namespace {

std::uint32_t le(const QByteArray& bytes, int at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(bytes[at + i]);
    return value;
}

/// Turns a row of blue, green, red bytes into RGB32 pixels; on little-endian machines three
/// words make four pixels at a time.
void unpackRow(const char* bytes, QRgb* pixels, int width) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 4 <= width; x += 4, bytes += 12) {
            std::uint32_t w[3];
            std::memcpy(w, bytes, sizeof w);
            pixels[x] = 0xFF000000 | (w[0] & 0xFFFFFF);
            pixels[x + 1] = 0xFF000000 | w[0] >> 24 | (w[1] & 0xFFFF) << 8;
            pixels[x + 2] = 0xFF000000 | w[1] >> 16 | (w[2] & 0xFF) << 16;
            pixels[x + 3] = 0xFF000000 | w[2] >> 8;
        }
    }
    for (; x < width; ++x, bytes += 3)
        pixels[x] = qRgb(std::uint8_t(bytes[2]), std::uint8_t(bytes[1]), std::uint8_t(bytes[0]));
}

/// A bitmap as the program writes them (24 bits a pixel, uncompressed, rows bottom-up), read
/// in blocks of rows; nothing for any other kind of bitmap, or one whose file is short, which
/// Qt's reader reads as it sees fit.
std::optional<QImage> readPlainBitmap(QFile& file) {
    const QByteArray header = file.peek(54);
    if (header.size() < 54 || le(header, 14, 4) != 40 || le(header, 26, 2) != 1 ||
        le(header, 28, 2) != 24 || le(header, 30, 4) != 0)
        return std::nullopt;
    const auto width = std::int32_t(le(header, 18, 4));
    const auto height = std::int32_t(le(header, 22, 4));
    const std::int64_t offset = le(header, 10, 4);
    const std::int64_t rowBytes = (std::int64_t(width) * 3 + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || width > 32768 || height > 32768 ||
        file.size() < offset + rowBytes * height || !file.seek(offset))
        return std::nullopt;
    QImage image = pagedImage(QSize(width, height), QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    const int blockRows = int(std::max<std::int64_t>(1, (64 * 1024) / rowBytes));
    std::vector<char> block(std::size_t(rowBytes * blockRows));
    for (int done = 0; done < height;) {
        const int rows = std::min(blockRows, height - done);
        if (file.read(block.data(), rowBytes * rows) != rowBytes * rows)
            return QImage();
        for (int i = 0; i < rows; ++i, ++done) {
            unpackRow(block.data() + rowBytes * i,
                      reinterpret_cast<QRgb*>(image.scanLine(height - 1 - done)), width);
        }
    }
    return image;
}

}  // namespace

QImage readImage(const std::string& path) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.peek(2) != "BM")
        return QImage::fromData(file.readAll());
    if (std::optional<QImage> plain = readPlainBitmap(file))
        return *plain;
    QImageReader reader(&file, "bmp");
    reader.setAutoDetectImageFormat(false);
    // The reader fills an image of the right size and format in place, here one in pages of
    // its own.
    QImage image = pagedImage(reader.size(), reader.imageFormat());
    return reader.read(&image) ? image : QImage();
}

bool writeBmp(const QImage& image, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "BMP") &&
           replaceFile(path, std::string_view(bytes.constData(), bytes.size()), 0644) == 0;
}

}  // namespace muralto::platform
