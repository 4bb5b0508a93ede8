#pragma once

#include "imaging/wmf/WmfContext.h"

namespace muralto::imaging {

// The handlers of the records that the metafile player plays, each given the context and a
// reader over the record's parameters. A record too short for its parameters reads zeros.

/// The handler of a record function; null for records the player skips.
using WmfHandler = void (*)(WmfContext&, WmfReader&);
WmfHandler wmfHandler(std::uint16_t function);

namespace wmf {

// Mapping, device context and object table (WmfStateRecords.cpp).
void setWindowOrg(WmfContext&, WmfReader&);
void setWindowExt(WmfContext&, WmfReader&);
void setViewportOrg(WmfContext&, WmfReader&);
void setViewportExt(WmfContext&, WmfReader&);
void offsetWindowOrg(WmfContext&, WmfReader&);
void offsetViewportOrg(WmfContext&, WmfReader&);
void scaleWindowExt(WmfContext&, WmfReader&);
void scaleViewportExt(WmfContext&, WmfReader&);
void setMapMode(WmfContext&, WmfReader&);
void saveDc(WmfContext&, WmfReader&);
void restoreDc(WmfContext&, WmfReader&);
void setTextColour(WmfContext&, WmfReader&);
void setBackgroundColour(WmfContext&, WmfReader&);
void setBackgroundMode(WmfContext&, WmfReader&);
void setTextAlign(WmfContext&, WmfReader&);
void setPolyFillMode(WmfContext&, WmfReader&);
void moveTo(WmfContext&, WmfReader&);
void intersectClipRect(WmfContext&, WmfReader&);
void excludeClipRect(WmfContext&, WmfReader&);
void createPen(WmfContext&, WmfReader&);
void createBrush(WmfContext&, WmfReader&);
void createFont(WmfContext&, WmfReader&);
void createPlaceholder(WmfContext&, WmfReader&);
void selectObject(WmfContext&, WmfReader&);
void deleteObject(WmfContext&, WmfReader&);

// Lines and shapes (WmfShapes.cpp).
void lineTo(WmfContext&, WmfReader&);
void polyline(WmfContext&, WmfReader&);
void polygon(WmfContext&, WmfReader&);
void polyPolygon(WmfContext&, WmfReader&);
void rectangle(WmfContext&, WmfReader&);
void roundRect(WmfContext&, WmfReader&);
void ellipse(WmfContext&, WmfReader&);
void arc(WmfContext&, WmfReader&);
void pie(WmfContext&, WmfReader&);
void chord(WmfContext&, WmfReader&);
void patBlt(WmfContext&, WmfReader&);
/// Fills bounds (logical) with the brush, black or white as the raster operation says; other
/// operations draw nothing.
void fillPattern(WmfContext& context, const QRectF& bounds, std::uint32_t operation);

// Text (WmfText.cpp).
void textOut(WmfContext&, WmfReader&);
void extTextOut(WmfContext&, WmfReader&);

// Bitmaps (WmfBlits.cpp).
void stretchDib(WmfContext&, WmfReader&);
void dibStretchBlt(WmfContext&, WmfReader&);
void dibBitBlt(WmfContext&, WmfReader&);
void setDibitsToDevice(WmfContext&, WmfReader&);
void dibCreatePatternBrush(WmfContext&, WmfReader&);

/// A colour reference: red, green, blue and a byte of flags.
QColor readColour(WmfReader& reader);
/// A rectangle stored as bottom, right, top, left, as the shape records store it.
QRectF readReversedRect(WmfReader& reader);

}  // namespace wmf
}  // namespace muralto::imaging
