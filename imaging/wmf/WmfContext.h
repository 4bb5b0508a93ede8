#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <set>
#include <variant>
#include <vector>

#include "imaging/wmf/WmfFormat.h"

namespace muralto::imaging {

// The drawing state of a metafile being played: the device context that its records change,
// its object table, and what the play may still spend.

/// The mapping modes of the device context.
enum class WmfMapMode {
    Text = 1,
    LoMetric = 2,
    HiMetric = 3,
    LoEnglish = 4,
    HiEnglish = 5,
    Twips = 6,
    Isotropic = 7,
    Anisotropic = 8
};

/// How logical coordinates become the picture's reference units (the frame's units, in which
/// the whole frame spans the canvas).
struct WmfMapping {
    WmfMapMode mode = WmfMapMode::Anisotropic;
    QPointF windowOrg, windowExt{1, 1}, viewportOrg, viewportExt{1, 1};
    double unitsPerInch = 96;  ///< reference units per inch, for the metric and English modes

    /// The transform from logical coordinates to reference units; nothing when an extent is 0.
    std::optional<QTransform> toReference() const;
};

struct WmfPen {
    bool null = false;
    Qt::PenStyle style = Qt::SolidLine;
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double width = 0;  ///< in logical units; 0 draws one pixel wide
    QColor colour = Qt::black;
};

struct WmfBrush {
    bool null = false;
    Qt::BrushStyle style = Qt::SolidPattern;  ///< solid, a hatch, or a texture
    QColor colour = Qt::white;
    QImage texture;
};

struct WmfFont {
    int height = 0;      ///< in logical units: below 0 the em height, above 0 the cell height
    int escapement = 0;  ///< tenths of a degree, counter-clockwise
    int weight = 0;      ///< 0 is the default weight
    bool italic = false, underline = false, strikeOut = false;
    QString family;
};

/// A table entry: a pen, brush or font, or another object (palette, region) that only holds
/// its place.
using WmfObject = std::variant<std::monostate, WmfPen, WmfBrush, WmfFont>;

/// The objects that records create, each at the lowest free index, and select by index.
class WmfObjectTable {
public:
    explicit WmfObjectTable(int size);
    /// Stores object at the lowest free index; false when the table is full.
    bool add(WmfObject object);
    /// The object at index, or null when index is free or out of the table.
    const WmfObject* at(int index) const;
    void remove(int index);

private:
    std::vector<std::optional<WmfObject>> entries_;
    std::set<int> free_;  ///< the free indices, so a full table refuses at once
};

/// Text alignment flags of SetTextAlign.
namespace WmfAlign {
inline constexpr int UpdateCp = 1, Right = 2, Center = 6, HorizontalMask = 6;
inline constexpr int Bottom = 8, Baseline = 24, VerticalMask = 24;
}  // namespace WmfAlign

/// The device context: what SaveDC saves and RestoreDC brings back.
struct WmfDc {
    WmfMapping mapping;
    WmfPen pen;
    WmfBrush brush;
    WmfFont font;
    QColor textColour = Qt::black, backgroundColour = Qt::white;
    bool opaqueBackground = true;
    int textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF position;
    /// The clip in canvas pixels; nothing when nothing is clipped.
    std::optional<QRegion> clip;
};

/// The bounds of one play.
struct WmfLimits {
    int records = 2'000'000;            ///< records played at most
    int saveDepth = 256;                ///< SaveDC levels kept at most
    int points = 65'536;                ///< points of one polygon, polyline or poly-polygon
    std::int64_t dibPixels = 16 << 20;  ///< pixels of one device-independent bitmap
    /// Work of one play, in canvas pixels touched (a filled shape costs its area on the
    /// canvas, a line its length times its width, a glyph and a bitmap's pixel more); a play
    /// that would exceed it ends there. About a second of drawing.
    double work = 300e6;
    /// Memory that the pattern brushes made in one play may take in all, in bytes; a brush past
    /// it is left out.
    std::int64_t patternBytes = 32 << 20;
};

/// Everything a record handler works with.
struct WmfContext {
    QPainter& painter;
    QTransform referenceToCanvas;  ///< the frame in reference units onto the canvas
    QRectF canvas;                 ///< the canvas rectangle, in pixels
    WmfLimits limits;
    WmfDc dc;
    std::vector<WmfDc> saved;
    WmfObjectTable objects;
    double workLeft;
    bool exhausted = false;
    /// Memory that pattern brushes may still take; what a brush took is not given back, as a
    /// saved or selected state may still hold it.
    std::int64_t patternBytesLeft;
    std::set<QString> fontsUsed;  ///< the fonts looked up so far, by mayUseFont's key
    /// The logical-to-canvas transform, kept in step with dc.mapping by mappingChanged().
    std::optional<QTransform> toCanvas;

    WmfContext(QPainter& painter, QTransform referenceToCanvas, QRectF canvas, WmfLimits limits,
               int objectCount);

    void mappingChanged();
    /// Takes cost from the work left; false (and exhausted) when it is not there.
    bool spend(double cost);
    /// The canvas rectangle that a logical rectangle covers, or nothing when it is out of
    /// bounds (so large or so far that drawing it is refused).
    std::optional<QRectF> onCanvas(const QRectF& logical) const;
    /// Whether a shape whose canvas bounds are given may be drawn, at the cost of its area.
    bool mayFill(const QRectF& bounds);
    /// Whether the outline through points (logical) may be drawn with the current pen, at the
    /// cost of its length on the canvas times the pen's width, and for a pen wider than a pixel
    /// the rasteriser's work on its outline and the dashes it is cut into.
    bool mayStroke(const QPolygonF& points, bool closed);
    /// Whether the shape whose canvas bounds and closed outlines (logical) are given may be
    /// filled: its area, and the rasteriser's work on its edges.
    bool mayFillOutlines(const QRectF& bounds, const QList<QPolygonF>& outlines);
    /// Whether text may be drawn in the font that key names (its face, size and style), at
    /// the cost of a look-up when the play has not used that font yet.
    bool mayUseFont(const QString& key);
    /// The pen's width on the canvas, at least one pixel.
    double penWidthOnCanvas() const;
    /// Sets the painter's clip as dc.clip says, at the cost of the region's rectangles.
    void applyClip();
};

}  // namespace muralto::imaging
