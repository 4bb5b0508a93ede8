// Each drawing record is played onto a canvas whose logical units are its pixels and compared
// pixel by pixel with the same shapes drawn by QPainter. Both draw with the same primitives, so
// the tolerance is 2 levels a channel at every pixel.

#include <gtest/gtest.h>

#include <QPainterPath>

#include "tests/imaging/wmf/WmfDrawing.h"
#include "tests/imaging/wmf/WmfWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using test::WmfWriter;
using W = WmfWriter;
using test::words;
namespace f = WmfFunction;

constexpr QSize kCanvas(64, 48);
constexpr int kTolerance = 2;

struct Family {
    const char* name;
    std::function<void(WmfWriter&)> records;
    std::function<void(QPainter&)> reference;
};

/// A metafile whose logical units are the canvas's pixels, drawing with a red pen 3 units wide
/// and a blue brush, then the row's records.
std::string shapesFile(const Family& family) {
    WmfWriter writer;
    writer.placeable({0, 0, kCanvas.width(), kCanvas.height()}, 96)
        .windowOrg(0, 0)
        .windowExt(kCanvas.width(), kCanvas.height())
        .pen(0, 3, Qt::red)
        .select(0)
        .brush(0, Qt::blue)
        .select(1);
    family.records(writer);
    return writer.bytes();
}

// A pentagram: its centre is inside twice, so the odd-even rule leaves it empty.
const QPolygonF kStar({{32, 2}, {44, 44}, {12, 18}, {52, 18}, {20, 44}});

std::string pointWords(const QPolygonF& points) {
    std::string out;
    for (const QPointF& p : points)
        out += words({int(p.x()), int(p.y())});
    return out;
}

const std::string kRing =
    words({2, 4, 4, 4, 4, 60, 4, 60, 44, 4, 44, 20, 14, 44, 14, 44, 34, 20, 34});

QPainterPath ring() {
    QPainterPath path;
    path.addPolygon(QPolygonF({{4, 4}, {60, 4}, {60, 44}, {4, 44}}));
    path.closeSubpath();
    path.addPolygon(QPolygonF({{20, 14}, {44, 14}, {44, 34}, {20, 34}}));
    path.closeSubpath();
    return path;
}

constexpr QRectF kOval(4, 4, 56, 40);

// The reference draws with the red pen and blue brush unless it sets its own.
const Family kFamilies[] = {
    {"Rectangle", [](W& w) { w.rectangle(8, 6, 40, 30); },
     [](QPainter& p) { p.drawRect(QRectF(8, 6, 32, 24)); }},
    {"RoundRect",
     [](W& w) {
         w.record(f::RoundRect, {12, 16, 40, 56, 4, 6});
     },
     [](QPainter& p) { p.drawRoundedRect(QRectF(6, 4, 50, 36), 8, 6); }},
    {"Ellipse",
     [](W& w) {
         w.record(f::Ellipse, {44, 60, 4, 4});
     },
     [](QPainter& p) { p.drawEllipse(kOval); }},
    {"MoveToLineTo",
     [](W& w) {
         w.record(f::MoveTo, {5, 3}).record(f::LineTo, {40, 60}).record(f::LineTo, {40, 10});
     },
     [](QPainter& p) {
         p.drawPolyline(QPolygonF({{3, 5}, {60, 40}, {10, 40}}));
     }},
    {"Polyline", [](W& w) { w.record(f::Polyline, words({5}) + pointWords(kStar)); },
     [](QPainter& p) { p.drawPolyline(kStar); }},
    {"PolygonAlternate", [](W& w) { w.record(f::Polygon, words({5}) + pointWords(kStar)); },
     [](QPainter& p) { p.drawPolygon(kStar, Qt::OddEvenFill); }},
    {"PolygonWinding",
     [](W& w) {
         w.record(f::SetPolyFillMode, {2}).record(f::Polygon, words({5}) + pointWords(kStar));
     },
     [](QPainter& p) { p.drawPolygon(kStar, Qt::WindingFill); }},
    {"PolyPolygon", [](W& w) { w.record(f::PolyPolygon, kRing); },
     [](QPainter& p) { p.drawPath(ring()); }},
    // Arcs run counter-clockwise from the start's radial (3 o'clock) to the end's (12).
    {"Arc",
     [](W& w) {
         w.record(f::Arc, {0, 32, 24, 60, 44, 60, 4, 4});
     },
     [](QPainter& p) { p.drawArc(kOval, 0, 90 * 16); }},
    {"Pie",
     [](W& w) {
         w.record(f::Pie, {24, 0, 0, 32, 44, 60, 4, 4});
     },
     [](QPainter& p) { p.drawPie(kOval, 90 * 16, 90 * 16); }},
    // From 6 o'clock round to 3 o'clock: the lower right quarter.
    {"Chord",
     [](W& w) {
         w.record(f::Chord, {24, 64, 48, 32, 44, 60, 4, 4});
     },
     [](QPainter& p) { p.drawChord(kOval, 270 * 16, 90 * 16); }},
    {"DashedPenAndHatchOnOpaqueBackground",
     [](W& w) {
         w.pen(1, 1, Qt::green).select(2).brush(2, Qt::yellow, 4).select(3);
         w.record(f::SetBkColor, test::colourRef(Qt::darkBlue)).rectangle(4, 4, 60, 44);
     },
     [](QPainter& p) {
         p.fillRect(kOval, Qt::darkBlue);
         p.setPen(QPen(Qt::green, 1, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
         p.setBrush(QBrush(Qt::yellow, Qt::CrossPattern));
         p.drawRect(kOval);
     }},
    {"HatchOnTransparentBackgroundAndNullPen",
     [](W& w) {
         w.pen(5, 1, Qt::green)
             .select(2)
             .brush(2, Qt::yellow, 2)
             .select(3)
             .backgroundMode(1)
             .rectangle(4, 4, 60, 44);
     },
     [](QPainter& p) { p.fillRect(kOval, QBrush(Qt::yellow, Qt::FDiagPattern)); }},
    {"NullBrush",
     [](W& w) {
         w.brush(1, Qt::yellow).select(2).record(f::Ellipse, {44, 60, 4, 4});
     },
     [](QPainter& p) {
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(kOval);
     }},
    {"PatBltWithBrushAndWhiteness",
     [](W& w) {
         w.record(f::PatBlt, test::dword(0xF00021) + words({20, 30, 4, 2}));
         w.record(f::PatBlt, test::dword(0xFF0062) + words({10, 10, 30, 40}));
     },
     [](QPainter& p) {
         p.fillRect(QRectF(2, 4, 30, 20), Qt::blue);
         p.fillRect(QRectF(40, 30, 10, 10), Qt::white);
     }},
    {"IntersectAndExcludeClip",
     [](W& w) {
         w.record(f::IntersectClipRect, {40, 50, 10, 10});
         w.record(f::ExcludeClipRect, {30, 30, 20, 20}).rectangle(0, 0, 64, 48);
     },
     [](QPainter& p) {
         p.setClipRegion(QRegion(10, 10, 40, 30).subtracted(QRegion(20, 20, 10, 10)));
         p.drawRect(QRectF(0, 0, 64, 48));
     }},
    // The brush selected after SaveDC goes with RestoreDC, and so does the clip.
    {"SaveAndRestoreDc",
     [](W& w) {
         w.record(f::SaveDC, {}).brush(0, Qt::green).select(2);
         w.record(f::IntersectClipRect, {10, 10, 0, 0}).record(f::RestoreDC, {0xFFFF});
         w.rectangle(8, 6, 40, 30);
     },
     [](QPainter& p) { p.drawRect(QRectF(8, 6, 32, 24)); }},
};

class WmfShapes : public testing::TestWithParam<Family> {};

TEST_P(WmfShapes, DrawLikeQPainter) {
    const Family& family = GetParam();
    const QImage played = test::renderBytes(shapesFile(family), kCanvas);
    const QImage expected = test::drawReference(kCanvas, [&](QPainter& p) {
        p.setPen(QPen(Qt::red, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::blue);
        family.reference(p);
    });
    ASSERT_FALSE(played.isNull());
    EXPECT_EQ(test::differingPixels(played, expected, kTolerance), 0);
    EXPECT_GT(test::inkBounds(expected).width(), 0);  // the row draws something at all
}

INSTANTIATE_TEST_SUITE_P(Records, WmfShapes, testing::ValuesIn(kFamilies), muralto::test::byName);

}  // namespace
}  // namespace muralto::imaging
