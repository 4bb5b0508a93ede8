#include "imaging/wmf/WmfDib.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "imaging/wmf/WmfFormat.h"

namespace muralto::imaging {

namespace {

constexpr std::uint32_t kCoreHeader = 12, kInfoHeader = 40;
constexpr std::uint32_t kRgb = 0, kBitFields = 3;

/// The layout of a bitmap, as its header declares it.
struct DibLayout {
    std::int64_t width = 0, height = 0;  ///< height below 0: rows run top-down
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t coloursUsed = 0;
    std::array<std::uint32_t, 3> masks{};  ///< red, green, blue bit fields
    bool core = false;
};

std::optional<DibLayout> readLayout(WmfReader& reader) {
    const std::uint32_t headerSize = reader.u32();
    DibLayout layout;
    layout.core = headerSize == kCoreHeader;
    if (layout.core) {
        layout.width = reader.u16();
        layout.height = reader.u16();
        reader.u16();  // planes
        layout.bits = reader.u16();
        return reader.isShort() ? std::nullopt : std::optional(layout);
    }
    if (headerSize < kInfoHeader || headerSize > 1024)
        return std::nullopt;
    layout.width = std::int32_t(reader.u32());
    layout.height = std::int32_t(reader.u32());
    reader.u16();  // planes
    layout.bits = reader.u16();
    layout.compression = reader.u32();
    reader.skip(12);  // image size, resolution
    layout.coloursUsed = reader.u32();
    reader.skip(headerSize - 36);  // important colours and any later header fields
    if (layout.compression == kBitFields) {
        for (std::uint32_t& mask : layout.masks)
            mask = reader.u32();
    }
    return reader.isShort() ? std::nullopt : std::optional(layout);
}

bool supported(const DibLayout& layout, std::int64_t maxPixels) {
    const bool bitsKnown = layout.bits == 1 || layout.bits == 4 || layout.bits == 8 ||
                           layout.bits == 16 || layout.bits == 24 || layout.bits == 32;
    const bool fields =
        layout.compression == kBitFields && (layout.bits == 16 || layout.bits == 32);
    const std::int64_t height = std::abs(layout.height);
    return bitsKnown && (layout.compression == kRgb || fields) && layout.width > 0 && height > 0 &&
           layout.width <= maxPixels / height;
}

std::vector<QRgb> readColourTable(WmfReader& reader, const DibLayout& layout, bool indices) {
    if (layout.bits > 8)
        return {};
    const std::uint32_t count = layout.coloursUsed == 0 || layout.coloursUsed > 256
                                    ? 1u << layout.bits
                                    : layout.coloursUsed;
    std::vector<QRgb> table(std::size_t(1) << layout.bits, qRgb(0, 0, 0));
    for (std::uint32_t i = 0; i < count; ++i) {
        QRgb colour;
        if (indices) {
            const int grey = reader.u16() & 0xFF;
            colour = qRgb(grey, grey, grey);
        } else {
            const int blue = reader.u8(), green = reader.u8(), red = reader.u8();
            if (!layout.core)
                reader.u8();
            colour = qRgb(red, green, blue);
        }
        if (i < table.size())
            table[i] = colour;
    }
    return table;
}

/// The value of a bit field scaled to 0..255.
int field(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t maximum = mask >> shift;
    return int(std::uint64_t((value & mask) >> shift) * 255 / maximum);
}

std::array<std::uint32_t, 3> masksOf(const DibLayout& layout) {
    if (layout.compression == kBitFields)
        return layout.masks;
    if (layout.bits == 16)
        return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0x00FF00, 0x0000FF};
}

QRgb pixelAt(const std::uint8_t* row, std::int64_t x, const DibLayout& layout,
             const std::vector<QRgb>& table, const std::array<std::uint32_t, 3>& masks) {
    switch (layout.bits) {
        case 1:
            return table[(row[x / 8] >> (7 - x % 8)) & 1];
        case 4:
            return table[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F];
        case 8:
            return table[row[x]];
        case 24:
            return qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]);
        default: {
            const std::uint8_t* p = row + x * (layout.bits / 8);
            std::uint32_t value = p[0] | std::uint32_t(p[1]) << 8;
            if (layout.bits == 32)
                value |= std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
            return qRgb(field(value, masks[0]), field(value, masks[1]), field(value, masks[2]));
        }
    }
}

}  // namespace

std::int64_t dibPixels(std::string_view bytes) {
    WmfReader reader(bytes);
    const auto layout = readLayout(reader);
    return layout ? layout->width * std::abs(layout->height) : 0;
}

std::optional<DecodedDib> decodeDib(std::string_view bytes, std::int64_t maxPixels,
                                    bool paletteIndices) {
    WmfReader reader(bytes);
    const auto layout = readLayout(reader);
    if (!layout || !supported(*layout, maxPixels))
        return std::nullopt;
    const std::vector<QRgb> table = readColourTable(reader, *layout, paletteIndices);
    const std::int64_t stride = (layout->width * layout->bits + 31) / 32 * 4;
    const std::int64_t height = std::abs(layout->height);
    if (reader.isShort() || std::int64_t(reader.remaining()) / stride < height)
        return std::nullopt;
    QImage image(int(layout->width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    const auto masks = masksOf(*layout);
    const auto* bits = reinterpret_cast<const std::uint8_t*>(reader.rest().data());
    for (std::int64_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + y * stride;
        auto* out =
            reinterpret_cast<QRgb*>(image.scanLine(int(layout->height < 0 ? y : height - 1 - y)));
        for (std::int64_t x = 0; x < layout->width; ++x)
            out[x] = pixelAt(row, x, *layout, table, masks);
    }
    return DecodedDib{std::move(image), layout->height > 0};
}

}  // namespace muralto::imaging
