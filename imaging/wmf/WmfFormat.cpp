#include "imaging/wmf/WmfFormat.h"

#include <algorithm>
#include <cmath>

#include "imaging/wmf/WmfFunctions.h"

namespace muralto::imaging {

std::uint8_t WmfReader::u8() {
    const std::string_view byte = take(1);
    return byte.empty() ? 0 : std::uint8_t(byte[0]);
}

std::uint16_t WmfReader::u16() {
    const std::string_view word = take(2);
    if (word.size() < 2)
        return 0;
    return std::uint16_t(std::uint8_t(word[0]) | std::uint8_t(word[1]) << 8);
}

std::uint32_t WmfReader::u32() {
    const std::uint32_t low = u16();
    return low | std::uint32_t(u16()) << 16;
}

std::string_view WmfReader::take(std::size_t count) {
    if (count > remaining()) {
        short_ = true;
        count = remaining();
    }
    const std::string_view part = bytes_.substr(position_, count);
    position_ += count;
    return part;
}

namespace {

constexpr std::size_t kPlaceableBytes = 22;
constexpr std::size_t kStandardBytes = 18;
constexpr std::size_t kRecordHeaderBytes = 6;

bool standardHeaderAt(std::string_view bytes, std::size_t at) {
    if (bytes.size() < at + kStandardBytes)
        return false;
    WmfReader reader(bytes.substr(at));
    const std::uint16_t type = reader.u16();
    const std::uint16_t headerWords = reader.u16();
    const std::uint16_t version = reader.u16();
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

bool placeableAt(std::string_view bytes) {
    return bytes.size() >= 4 && WmfReader(bytes).u32() == kWmfPlaceableKey;
}

}  // namespace

bool looksLikeWmf(std::string_view bytes) {
    return placeableAt(bytes) || standardHeaderAt(bytes, 0);
}

std::optional<WmfHeader> readWmfHeader(std::string_view bytes) {
    WmfHeader header;
    std::size_t standard = 0;
    if (placeableAt(bytes)) {
        if (bytes.size() < kPlaceableBytes)
            return std::nullopt;
        WmfReader reader(bytes.substr(6));  // after the key and the handle
        const double left = reader.s16(), top = reader.s16();
        const double right = reader.s16(), bottom = reader.s16();
        header.placeable = true;
        header.bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
        header.unitsPerInch = reader.u16();
        standard = kPlaceableBytes;
    }
    if (!standardHeaderAt(bytes, standard))
        return std::nullopt;
    WmfReader reader(bytes.substr(standard + 10));  // after type, size, version and file size
    header.objectCount = reader.u16();
    header.recordsOffset = standard + 2 * std::size_t(WmfReader(bytes.substr(standard + 2)).u16());
    return header;
}

std::optional<WmfRecord> WmfRecords::next() {
    if (ended_)
        return std::nullopt;
    ended_ = true;
    if (bytes_.size() - std::min(offset_, bytes_.size()) < kRecordHeaderBytes) {
        problem_ = "the metafile ends without an end record";
        return std::nullopt;
    }
    WmfReader reader(bytes_.substr(offset_));
    const std::uint64_t size = std::uint64_t(reader.u32()) * 2;
    const std::uint16_t function = reader.u16();
    if (function == WmfFunction::Eof)
        return std::nullopt;
    if (size < kRecordHeaderBytes || size > bytes_.size() - offset_) {
        problem_ =
            "a record's size (" + std::to_string(size / 2) + " words) is not within the file";
        return std::nullopt;
    }
    const WmfRecord record{function, bytes_.substr(offset_ + kRecordHeaderBytes,
                                                   std::size_t(size) - kRecordHeaderBytes)};
    offset_ += std::size_t(size);
    ended_ = false;
    return record;
}

std::optional<QRectF> wmfFrame(std::string_view bytes, const WmfHeader& header) {
    if (header.placeable)
        return header.bounds.width() != 0 && header.bounds.height() != 0
                   ? std::optional(header.bounds)
                   : std::nullopt;
    QPointF origin;
    WmfRecords records(bytes, header.recordsOffset);
    // Metafiles set their window among their first records; the rest are not looked at.
    for (int seen = 0; seen < 4096; ++seen) {
        const auto record = records.next();
        if (!record)
            break;
        WmfReader reader(record->params);
        const double y = reader.s16(), x = reader.s16();
        if (record->function == WmfFunction::SetWindowOrg)
            origin = {x, y};
        if (record->function == WmfFunction::SetWindowExt && x != 0 && y != 0)
            return QRectF(origin, QSizeF(x, y));
    }
    return std::nullopt;
}

std::optional<QSize> wmfNaturalSize(const WmfHeader& header, const QRectF& frame) {
    double scale = 1;
    if (header.placeable) {
        if (header.unitsPerInch == 0)
            return std::nullopt;
        scale = 96.0 / header.unitsPerInch;
    }
    const auto side = [&](double length) {
        return int(std::clamp(std::round(std::abs(length) * scale), 1.0, 1e9));
    };
    return QSize(side(frame.width()), side(frame.height()));
}

}  // namespace muralto::imaging
