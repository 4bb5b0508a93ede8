#include "imaging/wmf/WmfContext.h"

#include <algorithm>
#include <cmath>

#include "imaging/wmf/WmfRasterCost.h"

namespace muralto::imaging {

namespace {

/// Logical units per inch of the fixed mapping modes.
double logicalPerInch(WmfMapMode mode) {
    switch (mode) {
        case WmfMapMode::LoMetric:
            return 254;
        case WmfMapMode::HiMetric:
            return 2540;
        case WmfMapMode::LoEnglish:
            return 100;
        case WmfMapMode::HiEnglish:
            return 1000;
        case WmfMapMode::Twips:
            return 1440;
        default:
            return 0;
    }
}

/// Canvas coordinates beyond this are refused: the rasteriser's fixed-point numbers and the
/// dash generator are kept far from their ends.
constexpr double kMaxCanvasCoordinate = 1 << 20;

/// Work that a pixel of an antialiased line costs, solid or dashed, against one of a fill.
constexpr double kStrokeCost = 4;

/// How much more the rasteriser works on a wide line than on its points as an outline.
constexpr double kStrokeRasterFactor = 4;

/// Work that each dash of a wide dashed line costs besides its outline's: the stroker makes a
/// shape of each and holds them all at once (about a kilobyte each).
constexpr double kDashCost = 2000;

/// Points of the outline of one dash of a wide line: its sides and its caps.
constexpr double kPointsPerDash = 8;

/// Work that looking up a font the play has not used yet costs: a face the system does not
/// have is searched for among all of its fonts, a new size of one is loaded anew.
constexpr double kFontLookUpCost = 250'000;

/// Work that setting a clip costs for each rectangle of its region.
constexpr double kClipRectCost = 64;

/// Work that any drawing record costs, whatever it covers.
constexpr double kRecordCost = 64;

}  // namespace

std::optional<QTransform> WmfMapping::toReference() const {
    double sx = 1, sy = 1;
    if (mode == WmfMapMode::Isotropic || mode == WmfMapMode::Anisotropic) {
        if (windowExt.x() == 0 || windowExt.y() == 0 || viewportExt.x() == 0 ||
            viewportExt.y() == 0)
            return std::nullopt;
        sx = viewportExt.x() / windowExt.x();
        sy = viewportExt.y() / windowExt.y();
        if (mode == WmfMapMode::Isotropic) {
            const double scale = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(scale, sx);
            sy = std::copysign(scale, sy);
        }
    } else if (const double perInch = logicalPerInch(mode); perInch > 0) {
        sx = unitsPerInch / perInch;
        sy = -sx;  // these modes count y upwards
    }
    return QTransform(sx, 0, 0, sy, viewportOrg.x() - windowOrg.x() * sx,
                      viewportOrg.y() - windowOrg.y() * sy);
}

WmfObjectTable::WmfObjectTable(int size) : entries_(std::size_t(std::max(size, 0))) {
    for (int index = 0; index < size; ++index)
        free_.insert(free_.end(), index);
}

bool WmfObjectTable::add(WmfObject object) {
    if (free_.empty())
        return false;
    entries_[std::size_t(*free_.begin())] = std::move(object);
    free_.erase(free_.begin());
    return true;
}

const WmfObject* WmfObjectTable::at(int index) const {
    if (index < 0 || std::size_t(index) >= entries_.size() || !entries_[std::size_t(index)])
        return nullptr;
    return &*entries_[std::size_t(index)];
}

void WmfObjectTable::remove(int index) {
    if (index >= 0 && std::size_t(index) < entries_.size()) {
        entries_[std::size_t(index)].reset();
        free_.insert(index);
    }
}

WmfContext::WmfContext(QPainter& target, QTransform frameToCanvas, QRectF canvasRect,
                       WmfLimits bounds, int objectCount)
    : painter(target),
      referenceToCanvas(frameToCanvas),
      canvas(canvasRect),
      limits(bounds),
      objects(objectCount),
      workLeft(bounds.work),
      patternBytesLeft(bounds.patternBytes) {}

void WmfContext::mappingChanged() {
    const auto toReference = dc.mapping.toReference();
    toCanvas = toReference ? std::optional(*toReference * referenceToCanvas) : std::nullopt;
    if (toCanvas)
        painter.setWorldTransform(*toCanvas);
}

bool WmfContext::spend(double cost) {
    if (exhausted || !(cost + kRecordCost <= workLeft)) {
        exhausted = true;
        return false;
    }
    workLeft -= cost + kRecordCost;
    return true;
}

std::optional<QRectF> WmfContext::onCanvas(const QRectF& logical) const {
    if (!toCanvas)
        return std::nullopt;
    const QRectF mapped = toCanvas->mapRect(logical.normalized());
    const auto within = [](double value) { return std::abs(value) <= kMaxCanvasCoordinate; };
    if (!within(mapped.left()) || !within(mapped.right()) || !within(mapped.top()) ||
        !within(mapped.bottom()))
        return std::nullopt;
    return mapped;
}

bool WmfContext::mayFill(const QRectF& bounds) {
    const QRectF seen = bounds.intersected(canvas);
    return spend(std::max(seen.width(), 0.0) * std::max(seen.height(), 0.0));
}

double WmfContext::penWidthOnCanvas() const {
    if (!toCanvas || dc.pen.width <= 0)
        return 1;
    return std::max(1.0, dc.pen.width * std::hypot(toCanvas->m11(), toCanvas->m12()));
}

namespace {

/// The length of a pen's dash pattern, in pen widths: dashes of 4 and gaps and dots of 1 and 2.
double dashPeriod(Qt::PenStyle style) {
    switch (style) {
        case Qt::DashLine:
            return 6;
        case Qt::DotLine:
            return 3;
        case Qt::DashDotLine:
            return 9;
        case Qt::DashDotDotLine:
            return 12;
        default:
            return 0;
    }
}

}  // namespace

bool WmfContext::mayStroke(const QPolygonF& points, bool closed) {
    if (dc.pen.null || !toCanvas)
        return spend(0);
    // No part of a segment longer than the canvas's diagonal is on the canvas.
    const double diagonal = std::hypot(canvas.width(), canvas.height());
    const QPolygonF mapped = toCanvas->map(points);
    double length = 0;
    for (qsizetype i = 1; i <= mapped.size(); ++i) {
        if (i == mapped.size() && !closed)
            break;
        const QPointF step = mapped[i % mapped.size()] - mapped[i - 1];
        length += std::min(std::hypot(step.x(), step.y()), diagonal) + 1;
    }
    const double width = penWidthOnCanvas();
    double cost = length * width * kStrokeCost;
    // Lines up to a pixel wide are drawn straight; wider ones become a shape, an edge along
    // each side of every segment with its joins and caps, that the rasteriser fills: measured,
    // about four times what filling the line's own outline would take.
    if (width > 1) {
        WmfRasterCost raster(canvas);
        raster.add(mapped, closed);
        if (const double period = dashPeriod(dc.pen.style); period > 0) {
            const double dashes = length / (period * width);
            raster.addPoints(dashes * kPointsPerDash);
            cost += dashes * kDashCost;
        }
        cost += kStrokeRasterFactor * raster.work();
    }
    return spend(cost);
}

bool WmfContext::mayFillOutlines(const QRectF& bounds, const QList<QPolygonF>& outlines) {
    if (!toCanvas)
        return spend(0);
    WmfRasterCost raster(canvas);
    for (const QPolygonF& outline : outlines)
        raster.add(toCanvas->map(outline), true);
    return mayFill(bounds) && spend(raster.work());
}

bool WmfContext::mayUseFont(const QString& key) {
    if (fontsUsed.contains(key))
        return spend(0);
    if (!spend(kFontLookUpCost))
        return false;
    fontsUsed.insert(key);
    return true;
}

void WmfContext::applyClip() {
    if (dc.clip && !spend(double(dc.clip->rectCount()) * kClipRectCost))
        return;
    // The region is in canvas pixels, while the painter maps what it is given.
    const QTransform logical = painter.worldTransform();
    painter.resetTransform();
    painter.setClipRegion(dc.clip.value_or(QRegion(canvas.toAlignedRect())), Qt::ReplaceClip);
    painter.setWorldTransform(logical);
}

}  // namespace muralto::imaging
