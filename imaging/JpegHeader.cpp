#include "JpegHeader.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

namespace muralto::imaging {

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr int kMaxSegments = 4096;

struct Component {
    int horizontal = 1;
    int vertical = 1;
};

/// The next marker code: skips anything up to a 0xFF and the fill bytes after it.
std::optional<int> readMarker(QIODevice& device) {
    char byte = 0;
    do {
        if (!device.getChar(&byte))
            return std::nullopt;
    } while (static_cast<unsigned char>(byte) != 0xFF);
    do {
        if (!device.getChar(&byte))
            return std::nullopt;
    } while (static_cast<unsigned char>(byte) == 0xFF);
    return static_cast<unsigned char>(byte);
}

bool isStandalone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7) || marker == kSoi;
}

bool isFrameHeader(int marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

int byteAt(const QByteArray& data, int index) {
    return static_cast<unsigned char>(data[index]);
}

/// The payload of the segment whose marker was just read; nothing when the data ends early.
std::optional<QByteArray> readSegment(QIODevice& device) {
    const QByteArray length = device.read(2);
    if (length.size() != 2)
        return std::nullopt;
    const int size = (byteAt(length, 0) << 8 | byteAt(length, 1)) - 2;
    if (size < 0)
        return std::nullopt;
    QByteArray payload = device.read(size);
    if (payload.size() != size)
        return std::nullopt;
    return payload;
}

std::int64_t blocks(std::int64_t samples, int factor, int maxFactor) {
    const std::int64_t perBlock = std::int64_t(maxFactor) * 8;
    const std::int64_t count = (samples * factor + perBlock - 1) / perBlock;
    return (count + factor - 1) / factor * factor;  // whole units of the sampling factor
}

std::int64_t coefficientBytes(int width, int height, const std::vector<Component>& components) {
    int maxH = 1;
    int maxV = 1;
    for (const Component& c : components) {
        maxH = std::max(maxH, c.horizontal);
        maxV = std::max(maxV, c.vertical);
    }
    std::int64_t total = 0;
    for (const Component& c : components) {
        total += blocks(width, c.horizontal, maxH) * blocks(height, c.vertical, maxV) * 64 * 2;
    }
    return total;
}

/// Parses a frame header (precision, height, width, components with their sampling factors).
std::optional<JpegHeader> parseFrame(int marker, const QByteArray& payload,
                                     std::vector<Component>& components) {
    if (payload.size() < 6)
        return std::nullopt;
    const int count = byteAt(payload, 5);
    if (count < 1 || payload.size() < 6 + 3 * count)
        return std::nullopt;
    JpegHeader header;
    header.height = byteAt(payload, 1) << 8 | byteAt(payload, 2);
    header.width = byteAt(payload, 3) << 8 | byteAt(payload, 4);
    header.progressive = (marker & 0x03) == 0x02;
    components.clear();
    for (int i = 0; i < count; ++i) {
        const int factors = byteAt(payload, 6 + 3 * i + 1);
        Component c{std::clamp(factors >> 4, 1, 4), std::clamp(factors & 0x0F, 1, 4)};
        components.push_back(c);
    }
    header.coefficientBytes = coefficientBytes(header.width, header.height, components);
    return header;
}

/// The orientation tag of IFD0 in an APP1 "Exif" payload, 1 to 8; 1 when there is none.
int exifOrientation(const QByteArray& payload) {
    constexpr int kTiff = 6;  // the TIFF header follows "Exif\0\0"
    if (payload.size() < kTiff + 8 || !payload.startsWith(QByteArray("Exif\0\0", 6)))
        return 1;
    const bool little = payload[kTiff] == 'I';
    auto number = [&](int at, int bytes) -> std::int64_t {
        if (at < 0 || at + bytes > payload.size())
            return -1;
        std::int64_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= std::int64_t(byteAt(payload, at + i)) << (8 * (little ? i : bytes - 1 - i));
        return value;
    };
    const std::int64_t directory = number(kTiff + 4, 4);
    if (directory < 8 || directory > payload.size())
        return 1;
    const int entries = kTiff + int(directory);
    for (std::int64_t i = 0, count = number(entries, 2); i < count; ++i) {
        const int entry = entries + 2 + 12 * int(i);
        if (number(entry, 2) == 0x0112) {
            const std::int64_t value = number(entry + 8, 2);
            return value >= 1 && value <= 8 ? int(value) : 1;
        }
    }
    return 1;
}

}  // namespace

std::optional<JpegHeader> readJpegHeader(QIODevice& device) {
    const QByteArray start = device.read(2);
    if (start.size() != 2 || byteAt(start, 0) != 0xFF || byteAt(start, 1) != kSoi) {
        return std::nullopt;
    }
    std::optional<JpegHeader> header;
    std::vector<Component> components;
    int orientation = 1;
    for (int segment = 0; segment < kMaxSegments; ++segment) {
        const std::optional<int> marker = readMarker(device);
        if (!marker || *marker == kEoi)
            break;
        if (isStandalone(*marker))
            continue;
        const std::optional<QByteArray> payload = readSegment(device);
        if (!payload)
            break;
        if (*marker == 0xE1 && orientation == 1) {
            orientation = exifOrientation(*payload);
        } else if (isFrameHeader(*marker)) {
            header = parseFrame(*marker, *payload, components);
        } else if (*marker == kSos) {
            if (header && !payload->isEmpty()) {
                header->multiScan = byteAt(*payload, 0) < static_cast<int>(components.size());
            }
            break;
        }
    }
    if (header)
        header->orientation = orientation;
    return header;
}

}  // namespace muralto::imaging
