#include "platform/gui/BitmapCopies.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/FileIo.h"
#include "platform/gui/PagedImage.h"

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
QImage readImage(const std::string& path) {
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.peek(2) != "BM")
        return QImage::fromData(file.readAll());
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
