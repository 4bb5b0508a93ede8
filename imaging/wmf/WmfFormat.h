#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace muralto::imaging {

// The file layout of a Windows metafile: an optional placeable header, the standard header, and
// records of 16-bit words (a 32-bit size in words, a 16-bit function, parameters). All numbers
// are little-endian.

/// The first word of a placeable header.
inline constexpr std::uint32_t kWmfPlaceableKey = 0x9AC6CDD7;
/// Metafiles larger than this are not read.
inline constexpr std::int64_t kMaxWmfBytes = 64LL * 1024 * 1024;

/// Reads little-endian numbers from a byte range; a read past its end gives 0 and marks the
/// reader as short, so a record too small for its parameters is noticed once, after parsing.
class WmfReader {
public:
    explicit WmfReader(std::string_view bytes) : bytes_(bytes) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::int16_t s16() { return std::int16_t(u16()); }
    std::uint32_t u32();
    /// count bytes, fewer when the range ends first (which marks the reader as short).
    std::string_view take(std::size_t count);
    void skip(std::size_t count) { take(count); }

    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size() - position_; }
    std::string_view rest() const { return bytes_.substr(position_); }
    bool isShort() const { return short_; }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
    bool short_ = false;
};

/// What the headers say about a metafile.
struct WmfHeader {
    bool placeable = false;
    QRectF bounds;                  ///< the placeable header's bounds, in logical units
    int unitsPerInch = 0;           ///< the placeable header's logical units per inch
    int objectCount = 0;            ///< entries of the object table
    std::size_t recordsOffset = 0;  ///< where the first record starts
};

/// The headers of bytes, or nothing when bytes start with no metafile header.
std::optional<WmfHeader> readWmfHeader(std::string_view bytes);

/// Whether bytes start like a metafile (either header's first words).
bool looksLikeWmf(std::string_view bytes);

/// One record: its function and its parameters (the bytes after the 6-byte record header).
struct WmfRecord {
    std::uint16_t function = 0;
    std::string_view params;
};

/// Walks the records of a metafile. The walk ends at the end-of-file record, at the end of the
/// bytes, or at a record whose size is too small, or points past the end.
class WmfRecords {
public:
    WmfRecords(std::string_view bytes, std::size_t offset) : bytes_(bytes), offset_(offset) {}
    /// The next record, or nothing when the walk has ended.
    std::optional<WmfRecord> next();
    /// Why the walk ended early; empty while it goes on or after an end-of-file record.
    const std::string& problem() const { return problem_; }

private:
    std::string_view bytes_;
    std::size_t offset_;
    bool ended_ = false;
    std::string problem_;
};

/// The window that the picture's logical coordinates show: the placeable header's bounds, or
/// the first window origin and extent that the records set. Nothing when neither is known.
std::optional<QRectF> wmfFrame(std::string_view bytes, const WmfHeader& header);

/// The size of the picture in pixels at 96 DPI: the placeable bounds at its units per inch, or
/// the frame taken as pixels. Each side is at least 1. Nothing when no size is known.
std::optional<QSize> wmfNaturalSize(const WmfHeader& header, const QRectF& frame);

}  // namespace muralto::imaging
