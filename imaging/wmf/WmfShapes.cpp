// The records that draw lines and shapes with the selected pen and brush.

#include <QPainterPath>
#include <QPolygonF>

#include <cmath>
#include <numbers>

#include "imaging/wmf/WmfHandlers.h"

namespace muralto::imaging::wmf {

namespace {

constexpr std::uint32_t kPatCopy = 0xF00021, kBlackness = 0x000042, kWhiteness = 0xFF0062;

QPen qtPen(const WmfPen& pen) {
    if (pen.null)
        return Qt::NoPen;
    // A width of 0 is Qt's one-pixel cosmetic pen as it is a one-pixel pen here.
    return QPen(pen.colour, pen.width, pen.style, pen.cap, pen.join);
}

QBrush qtBrush(const WmfBrush& brush) {
    if (brush.null)
        return Qt::NoBrush;
    if (!brush.texture.isNull())
        return QBrush(brush.texture);
    return QBrush(brush.colour, brush.style);
}

/// Draws a shape whose logical bounds and outlines are given, outlined with the pen and, when
/// filled, filled with the brush (a hatch on the background colour when the background is
/// opaque). Shapes out of bounds are left out; draw does the painting.
template <typename Draw>
void drawShape(WmfContext& context, QRectF bounds, const QList<QPolygonF>& outlines, bool filled,
               Draw draw) {
    const WmfDc& dc = context.dc;
    const double margin = dc.pen.null ? 0 : dc.pen.width / 2;
    const auto onCanvas =
        context.onCanvas(bounds.normalized().adjusted(-margin, -margin, margin, margin));
    if (!onCanvas || !context.mayFillOutlines(onCanvas->adjusted(-1, -1, 1, 1), outlines))
        return;
    for (const QPolygonF& outline : outlines) {
        if (!context.mayStroke(outline, true))
            return;
    }
    QPainter& painter = context.painter;
    const bool hatched = dc.brush.style != Qt::SolidPattern && dc.brush.texture.isNull();
    if (filled && !dc.brush.null && hatched && dc.opaqueBackground) {
        if (!context.mayFill(*onCanvas))
            return;
        painter.setPen(Qt::NoPen);
        painter.setBrush(dc.backgroundColour);
        draw(painter);
    }
    painter.setPen(qtPen(dc.pen));
    painter.setBrush(filled ? qtBrush(dc.brush) : QBrush(Qt::NoBrush));
    draw(painter);
}

/// The outline that a curved shape in bounds is charged for: its bounds' sides.
QList<QPolygonF> outlineOf(const QRectF& bounds) {
    return {QPolygonF(bounds)};
}

/// Draws an open line through points with the pen.
void drawLine(WmfContext& context, const QPolygonF& points) {
    const auto onCanvas = context.onCanvas(points.boundingRect());
    if (!onCanvas || context.dc.pen.null || !context.mayStroke(points, false))
        return;
    context.painter.setPen(qtPen(context.dc.pen));
    context.painter.setBrush(Qt::NoBrush);
    context.painter.drawPolyline(points);
}

/// count points stored as x, y; nothing when the record does not hold them or they are too
/// many.
std::optional<QPolygonF> readPoints(WmfContext& context, WmfReader& reader, int count) {
    if (count < 0 || count > context.limits.points || std::size_t(count) * 4 > reader.remaining())
        return std::nullopt;
    QPolygonF points;
    points.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double x = reader.s16();
        points.append(QPointF(x, reader.s16()));
    }
    return points;
}

/// The angle, in sixteenths of a degree counter-clockwise from three o'clock, at which the line
/// from the centre of bounds to point meets the ellipse in bounds, as Qt measures it on the
/// ellipse stretched from a circle.
double ellipseAngle(const QRectF& bounds, QPointF point) {
    const QPointF offset = point - bounds.center();
    const double angle = std::atan2(-offset.y() / bounds.height(), offset.x() / bounds.width());
    return angle * 180 / std::numbers::pi * 16;
}

/// Reads an arc's end point, start point and bounds (stored in that order, each reversed) and
/// draws it counter-clockwise from the start to the end with draw(painter, bounds, start, span).
template <typename Draw>
void drawArcShape(WmfContext& context, WmfReader& reader, bool filled, Draw draw) {
    const double yEnd = reader.s16(), xEnd = reader.s16();
    const double yStart = reader.s16(), xStart = reader.s16();
    const QRectF bounds = readReversedRect(reader).normalized();
    if (bounds.isEmpty())
        return;
    const double start = ellipseAngle(bounds, {xStart, yStart});
    double span = ellipseAngle(bounds, {xEnd, yEnd}) - start;
    while (span <= 0)
        span += 360 * 16;
    drawShape(context, bounds, outlineOf(bounds), filled, [&](QPainter& painter) {
        draw(painter, bounds, int(std::lround(start)), int(std::lround(span)));
    });
}

}  // namespace

void lineTo(WmfContext& context, WmfReader& reader) {
    const double y = reader.s16();
    const QPointF to(reader.s16(), y);
    drawLine(context, QPolygonF({context.dc.position, to}));
    context.dc.position = to;
}

void polyline(WmfContext& context, WmfReader& reader) {
    if (const auto points = readPoints(context, reader, reader.s16()))
        drawLine(context, *points);
}

void polygon(WmfContext& context, WmfReader& reader) {
    const auto points = readPoints(context, reader, reader.s16());
    if (!points || points->size() < 2)
        return;
    const Qt::FillRule rule = context.dc.fillRule;
    drawShape(context, points->boundingRect(), {*points}, true,
              [&](QPainter& painter) { painter.drawPolygon(*points, rule); });
}

void polyPolygon(WmfContext& context, WmfReader& reader) {
    const int polygons = reader.u16();
    if (std::size_t(polygons) * 2 > reader.remaining())
        return;
    std::vector<int> counts(static_cast<std::size_t>(polygons));
    int total = 0;
    for (int& count : counts) {
        count = reader.u16();
        total += count;
    }
    const auto points = readPoints(context, reader, total);
    if (!points)
        return;
    QPainterPath path;
    path.setFillRule(context.dc.fillRule);
    QList<QPolygonF> outlines;
    qsizetype first = 0;
    for (const int count : counts) {
        outlines.append(points->mid(first, count));
        path.addPolygon(outlines.back());
        path.closeSubpath();
        first += count;
    }
    drawShape(context, points->boundingRect(), outlines, true,
              [&](QPainter& painter) { painter.drawPath(path); });
}

void rectangle(WmfContext& context, WmfReader& reader) {
    const QRectF bounds = readReversedRect(reader).normalized();
    drawShape(context, bounds, outlineOf(bounds), true,
              [&](QPainter& painter) { painter.drawRect(bounds); });
}

void roundRect(WmfContext& context, WmfReader& reader) {
    const double height = reader.s16(), width = reader.s16();
    const QRectF bounds = readReversedRect(reader).normalized();
    drawShape(context, bounds, outlineOf(bounds), true, [&](QPainter& painter) {
        painter.drawRoundedRect(bounds, std::abs(width) / 2, std::abs(height) / 2);
    });
}

void ellipse(WmfContext& context, WmfReader& reader) {
    const QRectF bounds = readReversedRect(reader).normalized();
    drawShape(context, bounds, outlineOf(bounds), true,
              [&](QPainter& painter) { painter.drawEllipse(bounds); });
}

void arc(WmfContext& context, WmfReader& reader) {
    drawArcShape(context, reader, false, [](QPainter& painter, QRectF r, int start, int span) {
        painter.drawArc(r, start, span);
    });
}

void pie(WmfContext& context, WmfReader& reader) {
    drawArcShape(context, reader, true, [](QPainter& painter, QRectF r, int start, int span) {
        painter.drawPie(r, start, span);
    });
}

void chord(WmfContext& context, WmfReader& reader) {
    drawArcShape(context, reader, true, [](QPainter& painter, QRectF r, int start, int span) {
        painter.drawChord(r, start, span);
    });
}

void fillPattern(WmfContext& context, const QRectF& bounds, std::uint32_t operation) {
    QBrush brush = qtBrush(context.dc.brush);
    if (operation == kBlackness || operation == kWhiteness)
        brush = QBrush(operation == kBlackness ? Qt::black : Qt::white);
    else if (operation != kPatCopy)
        return;
    const auto onCanvas = context.onCanvas(bounds);
    if (onCanvas && context.mayFill(*onCanvas))
        context.painter.fillRect(bounds.normalized(), brush);
}

void patBlt(WmfContext& context, WmfReader& reader) {
    const std::uint32_t operation = reader.u32();
    const double height = reader.s16(), width = reader.s16();
    const double y = reader.s16(), x = reader.s16();
    fillPattern(context, QRectF(x, y, width, height), operation);
}

}  // namespace muralto::imaging::wmf
