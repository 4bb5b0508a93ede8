// The records that change the mapping, the device context and the object table.

#include <algorithm>

#include "imaging/wmf/WmfHandlers.h"

namespace muralto::imaging::wmf {

namespace {

/// A point stored as y, x, as the records store their points' words.
QPointF readReversedPoint(WmfReader& reader) {
    const double y = reader.s16();
    return {double(reader.s16()), y};
}

void setMappingPoint(WmfContext& context, WmfReader& reader, QPointF WmfMapping::*member) {
    context.dc.mapping.*member = readReversedPoint(reader);
    context.mappingChanged();
}

void offsetMappingPoint(WmfContext& context, WmfReader& reader, QPointF WmfMapping::*member) {
    context.dc.mapping.*member += readReversedPoint(reader);
    context.mappingChanged();
}

/// Scales an extent by (x numerator / x denominator, y numerator / y denominator), as stored
/// in reverse: y denominator, y numerator, x denominator, x numerator.
void scaleExtent(WmfContext& context, WmfReader& reader, QPointF WmfMapping::*member) {
    const double yDenominator = reader.s16(), yNumerator = reader.s16();
    const double xDenominator = reader.s16(), xNumerator = reader.s16();
    if (xDenominator == 0 || yDenominator == 0)
        return;
    QPointF& extent = context.dc.mapping.*member;
    extent = {extent.x() * xNumerator / xDenominator, extent.y() * yNumerator / yDenominator};
    context.mappingChanged();
}

/// The last state saved, or the one levels back when levels is negative (-1 the last);
/// RestoreDC with a positive number means that saved state counted from the first.
void restoreTo(WmfContext& context, int level) {
    const int depth = int(context.saved.size());
    const int keep = level < 0 ? depth + level : level - 1;
    if (keep < 0 || keep >= depth)
        return;
    context.dc = std::move(context.saved[std::size_t(keep)]);
    context.saved.resize(std::size_t(keep));
    context.mappingChanged();
    context.applyClip();
}

Qt::PenStyle penStyle(int style) {
    static constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                               Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                               Qt::SolidLine};  // inside frame
    return style >= 0 && style < 7 ? kStyles[style] : Qt::SolidLine;
}

Qt::BrushStyle hatchStyle(int hatch) {
    static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                  Qt::FDiagPattern, Qt::BDiagPattern,
                                                  Qt::CrossPattern, Qt::DiagCrossPattern};
    return hatch >= 0 && hatch < 6 ? kHatches[hatch] : Qt::SolidPattern;
}

/// The face name: up to 32 bytes, ending at the first NUL.
QString faceName(WmfReader& reader) {
    const std::string_view bytes = reader.take(32);
    const std::string_view name = bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

/// Sets a new clip, in canvas pixels, from the current one and a logical rectangle.
void clipWith(WmfContext& context, WmfReader& reader, bool exclude) {
    const QRectF logical = readReversedRect(reader);
    const auto onCanvas = context.onCanvas(logical);
    if (!onCanvas || !context.spend(0))
        return;
    const QRegion whole(context.canvas.toAlignedRect());
    const QRegion current = context.dc.clip.value_or(whole);
    const QRegion area(onCanvas->toRect());
    context.dc.clip = exclude ? current.subtracted(area) : current.intersected(area);
    context.applyClip();
}

}  // namespace

QColor readColour(WmfReader& reader) {
    const int red = reader.u8(), green = reader.u8(), blue = reader.u8();
    reader.u8();  // flags: palette indices and relative colours are taken as plain colours
    return QColor(red, green, blue);
}

QRectF readReversedRect(WmfReader& reader) {
    const double bottom = reader.s16(), right = reader.s16();
    const double top = reader.s16(), left = reader.s16();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

void setWindowOrg(WmfContext& c, WmfReader& r) {
    setMappingPoint(c, r, &WmfMapping::windowOrg);
}
void setWindowExt(WmfContext& c, WmfReader& r) {
    setMappingPoint(c, r, &WmfMapping::windowExt);
}
void setViewportOrg(WmfContext& c, WmfReader& r) {
    setMappingPoint(c, r, &WmfMapping::viewportOrg);
}
void setViewportExt(WmfContext& c, WmfReader& r) {
    setMappingPoint(c, r, &WmfMapping::viewportExt);
}
void offsetWindowOrg(WmfContext& c, WmfReader& r) {
    offsetMappingPoint(c, r, &WmfMapping::windowOrg);
}
void offsetViewportOrg(WmfContext& c, WmfReader& r) {
    offsetMappingPoint(c, r, &WmfMapping::viewportOrg);
}
void scaleWindowExt(WmfContext& c, WmfReader& r) {
    scaleExtent(c, r, &WmfMapping::windowExt);
}
void scaleViewportExt(WmfContext& c, WmfReader& r) {
    scaleExtent(c, r, &WmfMapping::viewportExt);
}

void setMapMode(WmfContext& context, WmfReader& reader) {
    const int mode = reader.u16();
    if (mode < 1 || mode > 8)
        return;
    context.dc.mapping.mode = WmfMapMode(mode);
    context.mappingChanged();
}

void saveDc(WmfContext& context, WmfReader&) {
    if (int(context.saved.size()) < context.limits.saveDepth)
        context.saved.push_back(context.dc);
}

void restoreDc(WmfContext& context, WmfReader& reader) {
    restoreTo(context, reader.s16());
}

void setTextColour(WmfContext& context, WmfReader& reader) {
    context.dc.textColour = readColour(reader);
}

void setBackgroundColour(WmfContext& context, WmfReader& reader) {
    context.dc.backgroundColour = readColour(reader);
}

void setBackgroundMode(WmfContext& context, WmfReader& reader) {
    const int mode = reader.u16();
    if (mode == 1 || mode == 2)
        context.dc.opaqueBackground = mode == 2;
}

void setTextAlign(WmfContext& context, WmfReader& reader) {
    context.dc.textAlign = reader.u16();
}

void setPolyFillMode(WmfContext& context, WmfReader& reader) {
    const int mode = reader.u16();
    if (mode == 1 || mode == 2)
        context.dc.fillRule = mode == 1 ? Qt::OddEvenFill : Qt::WindingFill;
}

void moveTo(WmfContext& context, WmfReader& reader) {
    context.dc.position = readReversedPoint(reader);
}

void intersectClipRect(WmfContext& c, WmfReader& r) {
    clipWith(c, r, false);
}
void excludeClipRect(WmfContext& c, WmfReader& r) {
    clipWith(c, r, true);
}

void createPen(WmfContext& context, WmfReader& reader) {
    const int style = reader.u16();
    WmfPen pen;
    pen.width = reader.s16();
    reader.s16();  // the height of the width point is not used
    pen.colour = readColour(reader);
    pen.style = penStyle(style & 0x0F);
    pen.null = pen.style == Qt::NoPen;
    const int cap = style & 0x0F00, join = style & 0xF000;
    pen.cap = cap == 0x0100 ? Qt::SquareCap : cap == 0x0200 ? Qt::FlatCap : Qt::RoundCap;
    pen.join = join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin;
    pen.width = std::abs(pen.width);
    context.objects.add(pen);
}

void createBrush(WmfContext& context, WmfReader& reader) {
    const int style = reader.u16();
    WmfBrush brush;
    brush.colour = readColour(reader);
    const int hatch = reader.u16();
    brush.null = style == 1;
    brush.style = style == 2 ? hatchStyle(hatch) : Qt::SolidPattern;
    context.objects.add(brush);
}

void createFont(WmfContext& context, WmfReader& reader) {
    WmfFont font;
    font.height = reader.s16();
    reader.s16();  // the average width: glyphs keep their own proportions
    font.escapement = reader.s16();
    reader.s16();  // each glyph's orientation follows the escapement
    font.weight = reader.s16();
    font.italic = reader.u8() != 0;
    font.underline = reader.u8() != 0;
    font.strikeOut = reader.u8() != 0;
    reader.skip(5);  // character set, precisions, quality, pitch and family
    font.family = faceName(reader);
    context.objects.add(font);
}

void createPlaceholder(WmfContext& context, WmfReader&) {
    context.objects.add(std::monostate{});
}

void selectObject(WmfContext& context, WmfReader& reader) {
    const WmfObject* object = context.objects.at(reader.u16());
    if (!object)
        return;
    if (const auto* pen = std::get_if<WmfPen>(object))
        context.dc.pen = *pen;
    if (const auto* brush = std::get_if<WmfBrush>(object))
        context.dc.brush = *brush;
    if (const auto* font = std::get_if<WmfFont>(object))
        context.dc.font = *font;
}

void deleteObject(WmfContext& context, WmfReader& reader) {
    context.objects.remove(reader.u16());
}

}  // namespace muralto::imaging::wmf
