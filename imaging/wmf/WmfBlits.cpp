// The records that draw device-independent bitmaps, and the pattern brush made of one.

#include "imaging/wmf/WmfDib.h"
#include "imaging/wmf/WmfHandlers.h"

namespace muralto::imaging::wmf {

namespace {

constexpr std::uint32_t kSrcCopy = 0xCC0020, kSrcPaint = 0xEE0086, kSrcAnd = 0x8800C6;
constexpr std::uint32_t kSrcInvert = 0x660046, kNotSrcCopy = 0x330008;
constexpr int kPaletteIndices = 1;
/// Pattern brushes larger than this many pixels are not kept.
constexpr std::int64_t kMaxPatternPixels = 1 << 20;

QPainter::CompositionMode compositionFor(std::uint32_t operation) {
    switch (operation) {
        case kSrcPaint:
            return QPainter::RasterOp_SourceOrDestination;
        case kSrcAnd:
            return QPainter::RasterOp_SourceAndDestination;
        case kSrcInvert:
            return QPainter::RasterOp_SourceXorDestination;
        case kNotSrcCopy:
            return QPainter::RasterOp_NotSource;
        default:
            return QPainter::CompositionMode_SourceOver;
    }
}

/// Work that decoding one pixel of a bitmap costs, in canvas pixels filled.
constexpr double kDecodeCost = 4;

/// Whether the bitmap may be decoded, at the cost of the pixels it declares.
bool mayDecode(WmfContext& context, std::string_view dib) {
    const std::int64_t pixels = dibPixels(dib);
    return pixels > 0 && pixels <= context.limits.dibPixels && context.spend(kDecodeCost * pixels);
}

/// A blit's rectangles: where the bitmap goes (logical, a negative side mirrors it) and the
/// part of it that is drawn (bitmap pixels, y from the first stored row).
struct Blit {
    QRectF destination, source;
    std::uint32_t operation = kSrcCopy;
};

/// Draws the part of the bitmap that blit names into its destination.
void drawBlit(WmfContext& context, const Blit& blit, std::string_view dib, bool indices) {
    const auto onCanvas = context.onCanvas(blit.destination);
    if (!onCanvas || blit.destination.width() == 0 || blit.destination.height() == 0)
        return;
    if (!mayDecode(context, dib))
        return;
    const auto decoded = decodeDib(dib, context.limits.dibPixels, indices);
    if (!decoded)
        return;
    const QImage& image = decoded->image;
    QRectF source = blit.source.normalized();
    if (decoded->bottomUp)
        source.moveTop(image.height() - source.bottom());
    source = source.intersected(QRectF(image.rect()));
    if (source.isEmpty() || !context.mayFill(*onCanvas))
        return;
    QPainter& painter = context.painter;
    painter.save();
    const QPointF centre = blit.destination.center();
    painter.translate(centre);
    painter.scale(blit.destination.width() < 0 ? -1 : 1, blit.destination.height() < 0 ? -1 : 1);
    painter.translate(-centre);
    painter.setCompositionMode(compositionFor(blit.operation));
    painter.drawImage(blit.destination.normalized(), image, source);
    painter.restore();
}

/// Reads a rectangle stored as height, width, y, x.
QRectF readBox(WmfReader& reader) {
    const double height = reader.s16(), width = reader.s16();
    const double y = reader.s16(), x = reader.s16();
    return QRectF(x, y, width, height);
}

/// Reads the source rectangle, then the destination rectangle.
void readStretch(WmfReader& reader, Blit& blit) {
    blit.source = readBox(reader);
    blit.destination = readBox(reader);
}

/// Whether a blit record holds a bitmap: one without holds exactly the parameter words that
/// its function's high byte counts.
bool holdsBitmap(const WmfReader& reader, int wordsWithout) {
    return reader.remaining() != std::size_t(wordsWithout) * 2;
}

/// A DIB blit record: the operation, the source's size when the record stretches, its corner,
/// a reserved word in a record without a bitmap, then the destination. Without a bitmap the
/// record fills the destination with the brush's pattern; without a size of its own, the
/// source has the destination's.
void dibBlit(WmfContext& context, WmfReader& reader, bool stretch) {
    const bool bitmap = holdsBitmap(reader, stretch ? 11 : 9);
    Blit blit;
    blit.operation = reader.u32();
    const double sourceHeight = stretch ? reader.s16() : 0;
    const double sourceWidth = stretch ? reader.s16() : 0;
    const double sourceY = reader.s16(), sourceX = reader.s16();
    if (!bitmap)
        reader.skip(2);  // reserved
    blit.destination = readBox(reader);
    if (!bitmap) {
        fillPattern(context, blit.destination, blit.operation);
        return;
    }
    const QSizeF sourceSize = stretch ? QSizeF(sourceWidth, sourceHeight) : blit.destination.size();
    blit.source = QRectF(QPointF(sourceX, sourceY), sourceSize);
    drawBlit(context, blit, reader.rest(), false);
}

}  // namespace

void stretchDib(WmfContext& context, WmfReader& reader) {
    Blit blit;
    blit.operation = reader.u32();
    const bool indices = reader.u16() == kPaletteIndices;
    readStretch(reader, blit);
    drawBlit(context, blit, reader.rest(), indices);
}

void dibStretchBlt(WmfContext& context, WmfReader& reader) {
    dibBlit(context, reader, true);
}

void dibBitBlt(WmfContext& context, WmfReader& reader) {
    dibBlit(context, reader, false);
}

void setDibitsToDevice(WmfContext& context, WmfReader& reader) {
    const bool indices = reader.u16() == kPaletteIndices;
    reader.skip(4);  // the scan count and first scan: the bitmap holds the rows it draws
    const double sourceY = reader.s16(), sourceX = reader.s16();
    const QRectF destination = readBox(reader);
    Blit blit{destination, QRectF(QPointF(sourceX, sourceY), destination.size())};
    drawBlit(context, blit, reader.rest(), indices);
}

void dibCreatePatternBrush(WmfContext& context, WmfReader& reader) {
    reader.u16();  // style: the bitmap is the pattern
    const bool indices = reader.u16() == kPaletteIndices;
    // The pattern is kept as 32-bit pixels for as long as the play lasts.
    const std::int64_t bytes = dibPixels(reader.rest()) * 4;
    const bool fits = bytes <= context.patternBytesLeft;
    const auto decoded = fits && mayDecode(context, reader.rest())
                             ? decodeDib(reader.rest(), kMaxPatternPixels, indices)
                             : std::nullopt;
    if (!decoded) {
        context.objects.add(std::monostate{});
        return;
    }
    context.patternBytesLeft -= decoded->image.sizeInBytes();
    WmfBrush brush;
    brush.texture = decoded->image;
    context.objects.add(brush);
}

}  // namespace muralto::imaging::wmf
