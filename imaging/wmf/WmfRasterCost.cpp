#include "imaging/wmf/WmfRasterCost.h"

#include <algorithm>
#include <cmath>

namespace muralto::imaging {

namespace {

/// Cells that the rasteriser's pool holds before it cuts the canvas into bands (measured: its
/// time grows with the bands from about this many cells on).
constexpr double kCellsPerBand = 100;

/// Work that walking one edge across one row costs, against filling a pixel; measured on
/// zigzags and random polygons, whose time follows bands times rows crossed.
constexpr double kRowStepCost = 8;

/// Work that recording one cell costs, and what it costs more for each cell already in its
/// row: a row's cells are kept in a sorted list that each new one is walked into.
constexpr double kCellCost = 2;
constexpr double kCrowdCost = 0.05;

}  // namespace

void WmfRasterCost::addEdge(QPointF from, QPointF to) {
    const double top = std::max(std::min(from.y(), to.y()), canvas_.top());
    const double bottom = std::min(std::max(from.y(), to.y()), canvas_.bottom());
    if (top > bottom)
        return;  // above or below the canvas: the rasteriser skips it
    // Cells left or right of the canvas pile up in its first or last column.
    const auto column = [this](double x) {
        return std::clamp(x, canvas_.left() - 1, canvas_.right() + 1);
    };
    const double rows = bottom - top + 1;
    top_ = std::min(top_, top);
    bottom_ = std::max(bottom_, bottom);
    rowSteps_ += rows;
    cells_ += rows + std::abs(column(to.x()) - column(from.x()));
}

void WmfRasterCost::add(const QPolygonF& points, bool closed) {
    for (qsizetype i = 1; i < points.size(); ++i)
        addEdge(points[i - 1], points[i]);
    if (closed && points.size() > 2)
        addEdge(points.back(), points.front());
}

double WmfRasterCost::work() const {
    const double bands = std::clamp(cells_ / kCellsPerBand, 1.0, std::max(canvas_.height(), 1.0));
    const double cellsPerRow = top_ <= bottom_ ? cells_ / (bottom_ - top_ + 1) : 0;
    return kRowStepCost * bands * rowSteps_ + cells_ * (kCellCost + kCrowdCost * cellsPerRow);
}

}  // namespace muralto::imaging
