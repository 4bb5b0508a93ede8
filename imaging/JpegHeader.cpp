#include "imaging/JpegHeader.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace muralto::imaging {

namespace {

constexpr int kSoi = 0xD8;
constexpr int kEoi = 0xD9;
constexpr int kSos = 0xDA;
constexpr int kApp1 = 0xE1;
constexpr qint64 kBlockBytes = 64 * 1024;

struct Component {
    int horizontal = 1;
    int vertical = 1;
};

/// The bytes of a device from where it stood, read in blocks, at most kMaxJpegHeaderBytes.
class HeaderBytes {
public:
    explicit HeaderBytes(QIODevice& device) : device_(device), start_(device.pos()) {}

    /// The next byte; nothing at the end of the data or of the bound.
    std::optional<int> next() {
        if (at_ == block_.size() && !fill())
            return std::nullopt;
        return static_cast<unsigned char>(block_[at_++]);
    }

    /// Passes over everything up to the next 0xFF byte, which it leaves to be read next.
    bool findFF() {
        for (;;) {
            const char* from = block_.constData() + at_;
            if (const void* found = std::memchr(from, 0xFF, std::size_t(block_.size() - at_))) {
                at_ += static_cast<const char*>(found) - from;
                return true;
            }
            at_ = block_.size();
            if (!fill())
                return false;
        }
    }

    /// The next count bytes; nothing when the data or the bound ends first.
    std::optional<QByteArray> take(int count) {
        QByteArray out;
        out.reserve(count);
        while (out.size() < count) {
            if (at_ == block_.size() && !fill())
                return std::nullopt;
            const qsizetype part = std::min<qsizetype>(count - out.size(), block_.size() - at_);
            out.append(block_.constData() + at_, part);
            at_ += part;
        }
        return out;
    }

    /// Passes over the next count bytes, by seeking where they are not read yet.
    bool skip(qint64 count) {
        if (count <= block_.size() - at_) {
            at_ += count;
            return true;
        }
        const qint64 target = offset() + count;
        if (target > kMaxJpegHeaderBytes) {
            overBound_ = true;
            return false;
        }
        if (!device_.isSequential() && start_ + target > device_.size())
            return false;  // the data ends first
        if (!device_.seek(start_ + target))
            return false;
        blockStart_ = target;
        block_.clear();
        at_ = 0;
        return true;
    }

    /// Whether reading stopped at kMaxJpegHeaderBytes rather than at the end of the data.
    bool overBound() const { return overBound_; }

private:
    qint64 offset() const { return blockStart_ + at_; }

    /// Reads the block after the current one, which is used up.
    bool fill() {
        blockStart_ += block_.size();
        at_ = 0;
        const qint64 room = std::min(kBlockBytes, kMaxJpegHeaderBytes - blockStart_);
        if (room <= 0) {
            block_.clear();
            overBound_ = true;
            return false;
        }
        block_ = device_.read(room);
        return !block_.isEmpty();
    }

    QIODevice& device_;
    const qint64 start_;
    qint64 blockStart_ = 0;  // of block_, counted from start_
    QByteArray block_;
    qsizetype at_ = 0;  // the next byte to read in block_
    bool overBound_ = false;
};

/// The next marker code: skips anything up to a 0xFF and the fill bytes after it.
std::optional<int> readMarker(HeaderBytes& bytes) {
    if (!bytes.findFF())
        return std::nullopt;
    std::optional<int> byte;
    do {
        byte = bytes.next();
    } while (byte == 0xFF);
    return byte;
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

/// Whether a segment's payload tells anything about decoding: EXIF, frame and scan headers.
bool isRead(int marker) {
    return marker == kApp1 || marker == kSos || isFrameHeader(marker);
}

/// The payload of the segment whose marker was just read, or an empty one when the segment is
/// skipped; nothing when the data ends early or the length is impossible.
std::optional<QByteArray> readSegment(HeaderBytes& bytes, int marker) {
    const std::optional<int> high = bytes.next();
    const std::optional<int> low = bytes.next();
    if (!high || !low)
        return std::nullopt;
    const int size = (*high << 8 | *low) - 2;
    if (size < 0)
        return std::nullopt;
    if (isRead(marker))
        return bytes.take(size);
    if (!bytes.skip(size))
        return std::nullopt;
    return QByteArray();
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

JpegScan readJpegHeader(QIODevice& device) {
    HeaderBytes bytes(device);
    if (bytes.next() != 0xFF || bytes.next() != kSoi)
        return {};
    std::optional<JpegHeader> header;
    std::vector<Component> components;
    int orientation = 1;
    std::int64_t segments = 0;
    while (const std::optional<int> marker = readMarker(bytes)) {
        if (*marker == kEoi)
            break;
        ++segments;
        if (isStandalone(*marker))
            continue;
        const std::optional<QByteArray> payload = readSegment(bytes, *marker);
        if (!payload)
            break;
        if (*marker == kApp1 && orientation == 1) {
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
    if (bytes.overBound()) {
        return {JpegScan::Kind::Unusable,
                {},
                "its header takes more than " + std::to_string(kMaxJpegHeaderBytes >> 20) + " MB"};
    }
    if (!header)
        return {JpegScan::Kind::Unusable, {}, "it is a damaged JPEG picture (no frame header)"};
    header->orientation = orientation;
    header->segments = segments;
    return {JpegScan::Kind::Header, *header, {}};
}

}  // namespace muralto::imaging
