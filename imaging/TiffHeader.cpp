#include "imaging/TiffHeader.h"

#include <QtEndian>

#include <algorithm>
#include <optional>

namespace muralto::imaging {

namespace {

/// The directory fields that say how large a strip or tile is.
struct TiffLayout {
    std::int64_t width = 0, height = 0;
    std::int64_t samples = 1, bits = 1;
    std::int64_t rowsPerStrip = 0;  ///< 0: all rows in one strip
    std::int64_t tileWidth = 0, tileHeight = 0;
    bool planar = false;  ///< each sample in strips of its own
};

enum Tag : std::uint16_t {
    ImageWidth = 256,
    ImageLength = 257,
    BitsPerSample = 258,
    SamplesPerPixel = 277,
    RowsPerStrip = 278,
    PlanarConfiguration = 284,
    TileWidth = 322,
    TileLength = 323
};

/// Reads the numbers of a file in its byte order.
class TiffReader {
public:
    TiffReader(QIODevice& device, bool bigEndian) : device_(device), bigEndian_(bigEndian) {}

    std::optional<std::uint32_t> at(std::int64_t offset, int size) {
        char bytes[4] = {};
        if (!device_.seek(offset) || device_.read(bytes, size) != size)
            return std::nullopt;
        if (size == 2)
            return bigEndian_ ? qFromBigEndian<std::uint16_t>(bytes)
                              : qFromLittleEndian<std::uint16_t>(bytes);
        return bigEndian_ ? qFromBigEndian<std::uint32_t>(bytes)
                          : qFromLittleEndian<std::uint32_t>(bytes);
    }

    /// The first value of the directory entry at offset: a short or long, stored in the entry
    /// when it fits there, else where the entry points.
    std::optional<std::uint32_t> firstValue(std::int64_t offset) {
        const auto type = at(offset + 2, 2), count = at(offset + 4, 4);
        if (!type || !count || (*type != 3 && *type != 4))
            return std::nullopt;
        const int size = *type == 3 ? 2 : 4;
        if (std::int64_t(*count) * size <= 4)
            return at(offset + 8, size);
        const auto pointer = at(offset + 8, 4);
        return pointer ? at(*pointer, size) : std::nullopt;
    }

private:
    QIODevice& device_;
    bool bigEndian_;
};

void setField(TiffLayout& layout, std::uint16_t tag, std::int64_t value) {
    switch (tag) {
        case ImageWidth:
            layout.width = value;
            break;
        case ImageLength:
            layout.height = value;
            break;
        case BitsPerSample:
            layout.bits = value;
            break;
        case SamplesPerPixel:
            layout.samples = value;
            break;
        case RowsPerStrip:
            layout.rowsPerStrip = value;
            break;
        case PlanarConfiguration:
            layout.planar = value == 2;
            break;
        case TileWidth:
            layout.tileWidth = value;
            break;
        case TileLength:
            layout.tileHeight = value;
            break;
        default:
            break;
    }
}

std::optional<TiffLayout> readLayout(QIODevice& device) {
    char order[2] = {};
    if (!device.seek(0) || device.read(order, 2) != 2)
        return std::nullopt;
    TiffReader reader(device, order[0] == 'M');
    const auto directory = reader.at(4, 4);
    const auto entries = directory ? reader.at(*directory, 2) : std::nullopt;
    if (!entries)
        return std::nullopt;
    TiffLayout layout;
    for (std::uint32_t i = 0; i < *entries; ++i) {
        const std::int64_t entry = std::int64_t(*directory) + 2 + 12 * std::int64_t(i);
        const auto tag = reader.at(entry, 2);
        if (!tag)
            return std::nullopt;
        if (const auto value = reader.firstValue(entry))
            setField(layout, std::uint16_t(*tag), *value);
    }
    return layout;
}

}  // namespace

bool looksLikeTiff(const QByteArray& start) {
    return start.startsWith(QByteArrayLiteral("II*\0")) ||
           start.startsWith(QByteArrayLiteral("MM\0*"));
}

std::int64_t tiffDecoderBytes(QIODevice& device) {
    const auto layout = readLayout(device);
    if (!layout || layout->width <= 0 || layout->height <= 0)
        return 0;
    // In floating point: the fields are 32-bit numbers that a hostile file sets at will.
    const double samples = layout->planar ? 1 : double(std::max<std::int64_t>(layout->samples, 1));
    const double bits = double(std::max<std::int64_t>(layout->bits, 1));
    double bytes = 0;
    if (layout->tileWidth > 0 && layout->tileHeight > 0) {
        bytes = double(layout->tileWidth) * samples * bits / 8 * double(layout->tileHeight);
    } else {
        const std::int64_t rows = layout->rowsPerStrip > 0
                                      ? std::min(layout->rowsPerStrip, layout->height)
                                      : layout->height;
        bytes = double(layout->width) * samples * bits / 8 * double(rows);
    }
    return std::int64_t(std::min(bytes, 1e18));
}

}  // namespace muralto::imaging
