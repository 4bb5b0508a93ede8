#pragma once

#include <QPolygonF>
#include <QRectF>

namespace muralto::imaging {

/// What filling an outline costs Qt's antialiasing rasteriser, which draws every filled shape
/// and every line wider than a pixel. The rasteriser records a cell for each pixel that an
/// edge passes through, into a pool of fixed size; when the cells of a shape overflow it, the
/// canvas is cut into bands of rows and the whole outline is walked again for each band. So a
/// shape of a few hundred edges that each cross most rows (a zigzag, random points) costs
/// seconds, though its area and its edges' length are small.
class WmfRasterCost {
public:
    explicit WmfRasterCost(const QRectF& canvas) : canvas_(canvas) {}

    /// Adds the edges through points (canvas pixels), and the closing one when closed.
    void add(const QPolygonF& points, bool closed);
    /// Adds points of short edges, such as the outlines of a dashed line's dashes: however
    /// few rows they cross, each is walked again for every band.
    void addPoints(double points) { rowSteps_ += points; }
    /// The work of rasterising what was added, in the player's units (canvas pixels filled).
    double work() const;

private:
    void addEdge(QPointF from, QPointF to);

    QRectF canvas_;
    double rowSteps_ = 0;                   ///< rows that the edges cross, each walked once a band
    double cells_ = 0;                      ///< cells that the edges pass through
    double top_ = 1e300, bottom_ = -1e300;  ///< the rows that the edges span on the canvas
};

}  // namespace muralto::imaging
