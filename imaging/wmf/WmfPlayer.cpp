#include "imaging/wmf/WmfPlayer.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "imaging/wmf/WmfFunctions.h"
#include "imaging/wmf/WmfHandlers.h"

namespace muralto::imaging {

WmfHandler wmfHandler(std::uint16_t function) {
    namespace f = WmfFunction;
    static const std::unordered_map<std::uint16_t, WmfHandler> kHandlers = {
        {f::SetWindowOrg, wmf::setWindowOrg},
        {f::SetWindowExt, wmf::setWindowExt},
        {f::SetViewportOrg, wmf::setViewportOrg},
        {f::SetViewportExt, wmf::setViewportExt},
        {f::OffsetWindowOrg, wmf::offsetWindowOrg},
        {f::OffsetViewportOrg, wmf::offsetViewportOrg},
        {f::ScaleWindowExt, wmf::scaleWindowExt},
        {f::ScaleViewportExt, wmf::scaleViewportExt},
        {f::SetMapMode, wmf::setMapMode},
        {f::SaveDC, wmf::saveDc},
        {f::RestoreDC, wmf::restoreDc},
        {f::SetTextColor, wmf::setTextColour},
        {f::SetBkColor, wmf::setBackgroundColour},
        {f::SetBkMode, wmf::setBackgroundMode},
        {f::SetTextAlign, wmf::setTextAlign},
        {f::SetPolyFillMode, wmf::setPolyFillMode},
        {f::MoveTo, wmf::moveTo},
        {f::IntersectClipRect, wmf::intersectClipRect},
        {f::ExcludeClipRect, wmf::excludeClipRect},
        {f::CreatePenIndirect, wmf::createPen},
        {f::CreateBrushIndirect, wmf::createBrush},
        {f::CreateFontIndirect, wmf::createFont},
        {f::CreatePalette, wmf::createPlaceholder},
        {f::CreatePatternBrush, wmf::createPlaceholder},
        {f::CreateRegion, wmf::createPlaceholder},
        {f::DibCreatePatternBrush, wmf::dibCreatePatternBrush},
        {f::SelectObject, wmf::selectObject},
        {f::DeleteObject, wmf::deleteObject},
        {f::LineTo, wmf::lineTo},
        {f::Polyline, wmf::polyline},
        {f::Polygon, wmf::polygon},
        {f::PolyPolygon, wmf::polyPolygon},
        {f::Rectangle, wmf::rectangle},
        {f::RoundRect, wmf::roundRect},
        {f::Ellipse, wmf::ellipse},
        {f::Arc, wmf::arc},
        {f::Pie, wmf::pie},
        {f::Chord, wmf::chord},
        {f::PatBlt, wmf::patBlt},
        {f::TextOut, wmf::textOut},
        {f::ExtTextOut, wmf::extTextOut},
        {f::StretchDib, wmf::stretchDib},
        {f::DibStretchBlt, wmf::dibStretchBlt},
        {f::DibBitBlt, wmf::dibBitBlt},
        {f::SetDIBitsToDevice, wmf::setDibitsToDevice},
    };
    const auto found = kHandlers.find(function);
    return found == kHandlers.end() ? nullptr : found->second;
}

namespace {

/// The state before the first record: the window is the frame, shown on a viewport of the
/// frame's size in reference units, which span the canvas.
WmfMapping initialMapping(const WmfHeader& header, const QRectF& frame) {
    WmfMapping mapping;
    mapping.windowOrg = frame.topLeft();
    mapping.windowExt = QPointF(frame.width(), frame.height());
    mapping.viewportExt = QPointF(std::abs(frame.width()), std::abs(frame.height()));
    if (header.placeable)
        mapping.unitsPerInch = header.unitsPerInch;
    return mapping;
}

QTransform referenceToCanvas(const QRectF& frame, const QRectF& canvas) {
    return QTransform::fromScale(canvas.width() / std::abs(frame.width()),
                                 canvas.height() / std::abs(frame.height())) *
           QTransform::fromTranslate(canvas.left(), canvas.top());
}

}  // namespace

WmfPlay playWmf(std::string_view bytes, const WmfHeader& header, const QRectF& frame,
                QPainter& painter, const QRectF& canvas, const WmfLimits& limits) {
    WmfPlay play;
    if (frame.width() == 0 || frame.height() == 0) {
        play.stopped = "the metafile declares no size";
        return play;
    }
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    painter.setClipRect(canvas);
    WmfContext context(painter, referenceToCanvas(frame, canvas), canvas, limits,
                       header.objectCount);
    context.dc.mapping = initialMapping(header, frame);
    context.mappingChanged();
    WmfRecords records(bytes, header.recordsOffset);
    while (const auto record = records.next()) {
        if (play.records == limits.records) {
            play.stopped =
                "the metafile has more than " + std::to_string(limits.records) + " records";
            break;
        }
        ++play.records;
        if (const WmfHandler handler = wmfHandler(record->function)) {
            WmfReader reader(record->params);
            handler(context, reader);
        }
        if (context.exhausted) {
            play.stopped = "drawing the metafile would take too long";
            break;
        }
    }
    if (play.stopped.empty())
        play.stopped = records.problem();
    painter.restore();
    return play;
}

WmfPicture renderWmf(std::string_view bytes, TargetSize target, std::int64_t memoryLimit,
                     const WmfLimits& limits) {
    WmfPicture picture;
    const auto header = readWmfHeader(bytes);
    if (!header) {
        picture.error = "it has no metafile header";
        return picture;
    }
    const auto frame = wmfFrame(bytes, *header);
    const auto natural = frame ? wmfNaturalSize(*header, *frame) : std::nullopt;
    if (!natural) {
        picture.error = "the metafile declares no size";
        return picture;
    }
    picture.natural = *natural;
    const QSize fitted = fittedSize(*natural, target);
    if (std::int64_t(fitted.width()) * fitted.height() * 4 > memoryLimit) {
        picture.error = "drawing the metafile would need more than " +
                        std::to_string(memoryLimit >> 20) + " MB of memory";
        return picture;
    }
    QImage image(fitted, QImage::Format_RGB32);
    if (image.isNull()) {
        picture.error = "not enough memory to draw the metafile";
        return picture;
    }
    image.fill(Qt::black);
    // Pattern brushes take what the picture leaves of the memory.
    WmfLimits bounds = limits;
    bounds.patternBytes =
        std::min<std::int64_t>(limits.patternBytes, memoryLimit - image.sizeInBytes());
    QPainter painter(&image);
    playWmf(bytes, *header, *frame, painter, QRectF(image.rect()), bounds);
    painter.end();
    picture.image = std::move(image);
    return picture;
}

}  // namespace muralto::imaging
