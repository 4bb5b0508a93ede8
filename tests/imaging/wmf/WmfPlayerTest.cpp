// The metafile player's shapes, mapping, natural size, object table, bitmaps and bounds. The
// records are played onto a canvas and compared pixel by pixel with the same drawing made by
// QPainter: both draw with the same primitives, so the tolerance is 2 levels a channel.

#include <gtest/gtest.h>

#include <QPainterPath>

#include "tests/imaging/PictureFiles.h"
#include "tests/imaging/wmf/WmfWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using test::dword;
using test::WmfWriter;
using test::words;
using W = WmfWriter;
namespace f = WmfFunction;

constexpr QSize kCanvas(64, 48);

/// A writer whose frame is the canvas: logical units are its pixels until the records change
/// the mapping.
WmfWriter canvasWriter() {
    WmfWriter writer;
    writer.placeable({0, 0, kCanvas.width(), kCanvas.height()}, 96);
    return writer;
}

/// Selects a null pen and a solid brush of colour (objects 0 and 1).
WmfWriter& fillWith(WmfWriter& writer, QColor colour) {
    return writer.pen(5, 0, Qt::black).select(0).brush(0, colour).select(1);
}

// --- Shapes, pens, brushes and clips, with a red pen 3 units wide and a blue brush ---------

struct Family {
    const char* name;
    std::string records;
    std::function<void(QPainter&)> reference;
};

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

std::string star(std::uint16_t function) {
    return W().record(function, words({5}) + pointWords(kStar)).records();
}

const std::string kWinding = W().record(f::SetPolyFillMode, {2}).records();

// The reference draws with the red pen and blue brush unless it sets its own.
const Family kFamilies[] = {
    {"Rectangle", W().rectangle(8, 6, 40, 30).records(),
     [](QPainter& p) { p.drawRect(QRectF(8, 6, 32, 24)); }},
    {"RoundRect", W().record(f::RoundRect, {12, 16, 40, 56, 4, 6}).records(),
     [](QPainter& p) { p.drawRoundedRect(QRectF(6, 4, 50, 36), 8, 6); }},
    {"Ellipse", W().record(f::Ellipse, {44, 60, 4, 4}).records(),
     [](QPainter& p) { p.drawEllipse(kOval); }},
    {"MoveToLineTo",
     W().record(f::MoveTo, {5, 3})
         .record(f::LineTo, {40, 60})
         .record(f::LineTo, {40, 10})
         .records(),
     [](QPainter& p) {
         p.drawLine(QPointF(3, 5), QPointF(60, 40));
         p.drawLine(QPointF(60, 40), QPointF(10, 40));
     }},
    {"Polyline", star(f::Polyline), [](QPainter& p) { p.drawPolyline(kStar); }},
    {"PolygonAlternate", star(f::Polygon),
     [](QPainter& p) { p.drawPolygon(kStar, Qt::OddEvenFill); }},
    {"PolygonWinding", kWinding + star(f::Polygon),
     [](QPainter& p) { p.drawPolygon(kStar, Qt::WindingFill); }},
    {"PolyPolygon", W().record(f::PolyPolygon, kRing).records(),
     [](QPainter& p) { p.drawPath(ring()); }},
    // Arcs run counter-clockwise from the start's radial (3 o'clock) to the end's (12).
    {"Arc", W().record(f::Arc, {0, 32, 24, 60, 44, 60, 4, 4}).records(),
     [](QPainter& p) { p.drawArc(kOval, 0, 90 * 16); }},
    {"Pie", W().record(f::Pie, {24, 0, 0, 32, 44, 60, 4, 4}).records(),
     [](QPainter& p) { p.drawPie(kOval, 90 * 16, 90 * 16); }},
    // From 6 o'clock round to 3 o'clock: the lower right quarter.
    {"Chord", W().record(f::Chord, {24, 64, 48, 32, 44, 60, 4, 4}).records(),
     [](QPainter& p) { p.drawChord(kOval, 270 * 16, 90 * 16); }},
    {"DashedPenAndHatchOnOpaqueBackground",
     W().pen(1, 1, Qt::green).select(2).brush(2, Qt::yellow, 4).select(3).records() +
         W().record(f::SetBkColor, test::colourRef(Qt::darkBlue)).rectangle(4, 4, 60, 44).records(),
     [](QPainter& p) {
         p.fillRect(kOval, Qt::darkBlue);
         p.setPen(QPen(Qt::green, 1, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
         p.setBrush(QBrush(Qt::yellow, Qt::CrossPattern));
         p.drawRect(kOval);
     }},
    {"HatchOnTransparentBackgroundAndNullPen",
     W().pen(5, 1, Qt::green).select(2).brush(2, Qt::yellow, 2).select(3).records() +
         W().backgroundMode(1).rectangle(4, 4, 60, 44).records(),
     [](QPainter& p) { p.fillRect(kOval, QBrush(Qt::yellow, Qt::FDiagPattern)); }},
    {"NullBrush", W().brush(1, Qt::yellow).select(2).record(f::Ellipse, {44, 60, 4, 4}).records(),
     [](QPainter& p) {
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(kOval);
     }},
    {"PatBltWithBrushAndWhiteness",
     W().record(f::PatBlt, test::dword(0xF00021) + words({20, 30, 4, 2})).records() +
         W().record(f::PatBlt, test::dword(0xFF0062) + words({10, 10, 30, 40})).records(),
     [](QPainter& p) {
         p.fillRect(QRectF(2, 4, 30, 20), Qt::blue);
         p.fillRect(QRectF(40, 30, 10, 10), Qt::white);
     }},
    {"IntersectAndExcludeClip",
     W().record(f::IntersectClipRect, {40, 50, 10, 10})
             .record(f::ExcludeClipRect, {30, 30, 20, 20})
             .records() +
         W().rectangle(0, 0, 64, 48).records(),
     [](QPainter& p) {
         p.setClipRegion(QRegion(10, 10, 40, 30).subtracted(QRegion(20, 20, 10, 10)));
         p.drawRect(QRectF(0, 0, 64, 48));
     }},
    // The brush selected after SaveDC goes with RestoreDC, and so does the clip.
    {"SaveAndRestoreDc",
     W().record(f::SaveDC, {})
             .brush(0, Qt::green)
             .select(2)
             .record(f::IntersectClipRect, {10, 10, 0, 0})
             .records() +
         W().record(f::RestoreDC, {0xFFFF}).rectangle(8, 6, 40, 30).records(),
     [](QPainter& p) { p.drawRect(QRectF(8, 6, 32, 24)); }},
};

class WmfShapes : public testing::TestWithParam<Family> {};

TEST_P(WmfShapes, DrawLikeQPainter) {
    const Family& family = GetParam();
    WmfWriter writer = canvasWriter();
    writer.pen(0, 3, Qt::red).select(0).brush(0, Qt::blue).select(1).append(family.records);
    const QImage played = test::renderBytes(writer.bytes(), kCanvas);
    const QImage expected = test::drawReference(kCanvas, [&](QPainter& p) {
        p.setPen(QPen(Qt::red, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::blue);
        family.reference(p);
    });
    ASSERT_FALSE(played.isNull());
    EXPECT_EQ(test::differingPixels(played, expected, 2), 0);
    EXPECT_GT(test::inkBounds(expected).width(), 0);  // the row draws something at all
}

INSTANTIATE_TEST_SUITE_P(Records, WmfShapes, testing::ValuesIn(kFamilies), muralto::test::byName);

// --- Mapping: where the records' rectangle lands on the canvas --------------------------------

struct Mapping {
    const char* name;
    std::string records;
    QRectF expected;
    QRect bounds = {0, 0, 64, 48};  // of the placeable header; empty: none
    int unitsPerInch = 96;
};

const Mapping kMappings[] = {
    {"Bounds", W().rectangle(8, 8, 24, 16).records(), {8, 8, 16, 8}},
    {"WindowExt", W().windowExt(128, 96).rectangle(16, 16, 48, 32).records(), {8, 8, 16, 8}},
    {"WindowOrg", W().windowOrg(100, 200).rectangle(108, 208, 124, 216).records(), {8, 8, 16, 8}},
    {"NegativeExt",
     W().windowOrg(0, 48).windowExt(64, -48).rectangle(8, 8, 24, 16).records(),
     {8, 32, 16, 8}},
    {"Viewport",
     W().viewportOrg(32, 0).viewportExt(32, 24).rectangle(8, 8, 24, 16).records(),
     {36, 4, 8, 4}},
    {"Isotropic",
     W().mapMode(7).windowExt(32, 48).rectangle(8, 8, 24, 16).records(),
     {8, 8, 16, 8}},
    {"Anisotropic",
     W().mapMode(8).windowExt(32, 48).rectangle(8, 8, 24, 16).records(),
     {16, 8, 32, 8}},
    {"TextModeIgnoresExtents",
     W().mapMode(1).windowOrg(4, 4).windowExt(1000, 1000).rectangle(8, 8, 24, 16).records(),
     {4, 4, 16, 8}},
    // 960 file units an inch: a twip is 2/3 of one, and the canvas shows a tenth of the units.
    {"TwipsCountUpwards",
     W().mapMode(6).rectangle(120, -120, 360, -240).records(),
     {8, 8, 16, 8},
     {0, 0, 640, 480},
     960},
    {"OffsetAndScale",
     W().record(f::OffsetWindowOrg, {8, 8})
         .record(f::ScaleWindowExt, {1, 2, 1, 2})
         .rectangle(24, 24, 56, 40)
         .records(),
     {8, 8, 16, 8}},
    {"NoPlaceableTheFirstWindowFrames",
     W().windowOrg(10, 10).windowExt(64, 48).rectangle(18, 18, 34, 26).records(),
     {8, 8, 16, 8},
     {}},
};

class WmfMappings : public testing::TestWithParam<Mapping> {};

TEST_P(WmfMappings, PutTheRectangleWhereTheMappingSays) {
    const Mapping& row = GetParam();
    WmfWriter writer;
    fillWith(writer.placeable(row.bounds, row.unitsPerInch), Qt::green).append(row.records);
    const QImage expected =
        test::drawReference(kCanvas, [&](QPainter& p) { p.fillRect(row.expected, Qt::green); });
    EXPECT_EQ(test::differingPixels(test::renderBytes(writer.bytes(), kCanvas), expected, 2), 0);
}

INSTANTIATE_TEST_SUITE_P(Records, WmfMappings, testing::ValuesIn(kMappings), muralto::test::byName);

// --- Natural size and fit ---------------------------------------------------------------------

struct Natural {
    const char* name;
    QRect bounds;  // empty: no placeable header
    int unitsPerInch;
    QSize windowExt;  // written as a record when not empty
    TargetSize target;
    QSize natural, drawn;  // drawn 0 x 0: the metafile is refused
};

const Natural kNaturals[] = {
    {"TwipsBounds", {0, 0, 1440, 720}, 1440, {}, {1024, 768}, {96, 48}, {96, 48}},
    {"BoundsAroundTheOrigin", {-100, -100, 200, 200}, 100, {}, {1024, 768}, {192, 192}, {192, 192}},
    {"TallerIsFitted", {0, 0, 96, 960}, 96, {}, {1024, 768}, {96, 960}, {77, 768}},
    {"PlaceableOverWindowExt", {0, 0, 96, 96}, 96, {500, 500}, {1024, 768}, {96, 96}, {96, 96}},
    {"WindowExtAt96Dpi", {}, 0, {300, 200}, {150, 150}, {300, 200}, {150, 100}},
    {"NegativeWindowExtent", {}, 0, {300, -200}, {1024, 768}, {300, 200}, {300, 200}},
    {"NoUnitsPerInch", {0, 0, 96, 96}, 0, {}, {1024, 768}, {}, {0, 0}},
    {"NoWindowExtent", {}, 0, {}, {1024, 768}, {}, {0, 0}},
};

class WmfNaturalSize : public testing::TestWithParam<Natural> {};

TEST_P(WmfNaturalSize, IsFittedAndNeverEnlarged) {
    const Natural& row = GetParam();
    WmfWriter writer;
    writer.placeable(row.bounds, row.unitsPerInch);
    if (row.windowExt != QSize())
        writer.windowExt(row.windowExt.width(), row.windowExt.height());
    const WmfPicture picture = renderWmf(writer.bytes(), row.target, 1LL << 30);
    EXPECT_EQ(picture.image.size(), row.drawn);
    EXPECT_EQ(picture.error.empty(), !row.drawn.isEmpty()) << picture.error;
    if (!row.natural.isEmpty()) {
        EXPECT_EQ(picture.natural, row.natural);
    }
}

INSTANTIATE_TEST_SUITE_P(Headers, WmfNaturalSize, testing::ValuesIn(kNaturals),
                         muralto::test::byName);

TEST(WmfNaturalSize, AMetafileBeyondTheMemoryLimitIsRefused) {
    const WmfPicture picture =
        renderWmf(WmfWriter().placeable({0, 0, 1000, 1000}, 96).bytes(), {1000, 1000}, 1 << 20);
    EXPECT_TRUE(picture.image.isNull());
    EXPECT_NE(picture.error.find("1 MB"), std::string::npos) << picture.error;
}

// --- Object table: the brush the rectangle shows ----------------------------------------------

struct Objects {
    const char* name;
    int tableSize;
    std::string records;
    QColor shown;
};

const Objects kObjects[] = {
    {"SelectAfterDeleteKeeps", 4,
     W().brush(0, Qt::red).select(0).brush(0, Qt::green).remove(1).select(1).records(), Qt::red},
    {"DeletedIndexIsReusedFirst", 4,
     W().brush(0, Qt::red).brush(0, Qt::green).remove(0).brush(0, Qt::yellow).select(0).records(),
     Qt::yellow},
    {"FullTableDropsTheNewObject", 2,
     W().brush(0, Qt::red).brush(0, Qt::green).select(1).brush(0, Qt::yellow).select(2).records(),
     Qt::green},
    {"IndexOutOfRange", 4, W().brush(0, Qt::red).select(0).select(60000).select(3).records(),
     Qt::red},
    {"PalettesAndRegionsHoldPlaces", 4,
     W().record(f::CreatePalette, {0x300, 0})
         .record(f::CreateRegion, {0, 0, 0, 0})
         .brush(0, Qt::red)
         .select(2)
         .records(),
     Qt::red},
    {"PenIsNoBrush", 4, W().brush(0, Qt::red).select(0).pen(0, 1, Qt::green).select(1).records(),
     Qt::red},
    {"DefaultBrushIsWhite", 0, W().brush(0, Qt::red).select(0).records(), Qt::white},
};

class WmfObjects : public testing::TestWithParam<Objects> {};

TEST_P(WmfObjects, SelectAsTheTableHoldsThem) {
    WmfWriter writer = canvasWriter();
    writer.objects(GetParam().tableSize);
    writer.append(GetParam().records);
    const QImage played = test::renderBytes(writer.rectangle(8, 8, 56, 40).bytes(), kCanvas);
    EXPECT_EQ(QColor(played.pixel(32, 24)), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Table, WmfObjects, testing::ValuesIn(kObjects), muralto::test::byName);

// --- Bitmaps ----------------------------------------------------------------------------------

/// 8 x 6 pixels of two colours, red below the diagonal: no turn or mirror leaves it as it is.
QImage twoColours() {
    QImage image(8, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, x <= y ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return image;
}

struct Bitmap {
    const char* name;
    std::uint16_t record;
    int bits;
    bool topDown;
    QRect source;       // in the picture's pixels, from its top
    QRect destination;  // on the canvas
};

/// The parameters of the record drawing dib from s (y as the record counts it) into d.
std::string blitParams(std::uint16_t record, QRect s, QRect d, const std::string& dib) {
    const std::string rop = dword(0xCC0020);
    const std::string to = words({d.height(), d.width(), d.y(), d.x()});
    if (record == f::StretchDib)
        return rop + words({0, s.height(), s.width(), s.y(), s.x()}) + to + dib;
    if (record == f::DibStretchBlt)
        return rop + words({s.height(), s.width(), s.y(), s.x()}) + to + dib;
    if (record == f::DibBitBlt)
        return rop + words({s.y(), s.x()}) + to + dib;
    return words({0, 6, 0, s.y(), s.x()}) + to + dib;  // SetDIBitsToDevice
}

constexpr QRect kWhole(0, 0, 8, 6), kLowerHalf(0, 3, 8, 3), kDoubled(8, 8, 16, 12);

const Bitmap kBitmaps[] = {
    {"StretchDib1Bit", f::StretchDib, 1, false, kWhole, kDoubled},
    {"StretchDib4Bits", f::StretchDib, 4, false, kWhole, kDoubled},
    {"StretchDib8Bits", f::StretchDib, 8, false, kWhole, kDoubled},
    {"StretchDib16Bits", f::StretchDib, 16, false, kWhole, kDoubled},
    {"StretchDib24Bits", f::StretchDib, 24, false, kWhole, kDoubled},
    {"StretchDib32Bits", f::StretchDib, 32, false, kWhole, kDoubled},
    {"LowerHalfOfBottomUp", f::StretchDib, 8, false, kLowerHalf, {8, 8, 32, 12}},
    {"LowerHalfOfTopDown", f::StretchDib, 8, true, kLowerHalf, {8, 8, 32, 12}},
    {"DibStretchBlt", f::DibStretchBlt, 24, false, kWhole, {4, 4, 24, 18}},
    {"DibBitBlt", f::DibBitBlt, 8, true, kWhole, {20, 10, 8, 6}},
    {"SetDibitsToDevice", f::SetDIBitsToDevice, 1, false, kWhole, {30, 20, 8, 6}},
    // A negative destination width mirrors.
    {"Mirrored", f::StretchDib, 24, false, kWhole, {24, 8, -16, 12}},
};

class WmfBitmaps : public testing::TestWithParam<Bitmap> {};

TEST_P(WmfBitmaps, DrawLikeTheSamePictureDrawnByQPainter) {
    const Bitmap& row = GetParam();
    const QImage picture = twoColours();
    QRect stored = row.source;  // bottom-up rows count the source's y from the bottom row
    if (!row.topDown)
        stored.moveTop(picture.height() - row.source.bottom() - 1);
    WmfWriter writer = canvasWriter();
    writer.record(row.record, blitParams(row.record, stored, row.destination,
                                         test::packedDib(picture, row.bits, row.topDown)));
    const QRect to = row.destination.width() < 0 ? row.destination.normalized() : row.destination;
    const QImage expected = test::drawReference(kCanvas, [&](QPainter& p) {
        p.drawImage(QRectF(to), picture.mirrored(row.destination.width() < 0, false),
                    QRectF(row.source));
    });
    EXPECT_EQ(test::differingPixels(test::renderBytes(writer.bytes(), kCanvas), expected, 2), 0);
}

INSTANTIATE_TEST_SUITE_P(Records, WmfBitmaps, testing::ValuesIn(kBitmaps), muralto::test::byName);

// --- Bounds for hostile files -----------------------------------------------------------------

struct Hostile {
    const char* name;
    /// Records played with a yellow brush after a red rectangle on the left half, before a green
    /// one on the right half. What they must not draw covers the left half's centre.
    std::string records;
    const char* stopped;  // part of why the play stopped; empty: it did not
    WmfLimits limits = {};
};

std::string repeat(const std::string& part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

/// A StretchDib record of the picture over the left half.
std::string leftHalfDib(const std::string& dib) {
    return W()
        .record(f::StretchDib, dword(0xCC0020) + words({0, 6, 8, 0, 0, 48, 32, 0, 0}) + dib)
        .records();
}

std::string zigzag() {
    std::string points;
    for (int i = 0; i < 1000; ++i)
        points += words({i % 2 * 64, i % 48});
    return W()
        .pen(0, 1, Qt::yellow)
        .select(3)
        .remove(3)
        .record(f::Polyline, words({1000}) + points)
        .records();
}

/// A clip of many rectangles, then saved and restored many times.
std::string clipRestores() {
    W writer;
    for (int i = 0; i < 24; ++i)
        writer.record(f::ExcludeClipRect, {2 * i + 1, 2 * i + 1, 2 * i, 2 * i});
    return writer.records() +
           repeat(W().record(f::SaveDC, {}).record(f::RestoreDC, {0xFFFF}).records(), 1000);
}

std::string runLengthDib() {
    std::string dib = test::packedDib(twoColours(), 8);
    return leftHalfDib(dib.replace(16, 4, dword(1)));
}

constexpr WmfLimits kLittleWork{.work = 20 * 64 * 48};
const std::string kSave = W().record(f::SaveDC, {}).records();
const std::string kRestore = W().record(f::RestoreDC, {0xFFFF}).records();

const Hostile kHostile[] = {
    {"UnknownRecordIsSkipped", W().record(0x0999, {1, 2, 3, 4, 5}).records(), ""},
    {"RecordSizeTooSmall", W().rawRecord(0, f::Rectangle, "").records(), "size"},
    {"RecordSizePastTheEnd", W().rawRecord(100000, f::Rectangle, words({48, 64, 0, 0})).records(),
     "size"},
    {"ShortRecordReadsZeros", W().record(f::Rectangle, {40}).records(), ""},
    {"PolygonClaimingMorePoints",
     W().record(f::Polygon, {65535, 0, 0, 64, 0, 64, 48, 0, 48}).records(), ""},
    {"PolyPolygonClaimingMorePolygons",
     W().record(f::PolyPolygon, {65535, 4, 0, 0, 64, 0, 64, 48, 0, 48}).records(), ""},
    {"PolygonBeyondThePointLimit",
     W().record(f::Polygon, words({300, 0, 0, 64, 0, 64, 48}) + repeat(words({0, 48}), 297))
         .records(),
     "", WmfLimits{.points = 200}},
    {"HugeScaleIsRefused",
     kSave +
         W().windowExt(1, 1)
             .viewportExt(32767, 32767)
             .record(f::Ellipse, {32767, 32767, -32768, -32768})
             .records() +
         kRestore,
     ""},
    {"ZeroExtentDrawsNothing",
     kSave + W().windowExt(0, 0).rectangle(0, 0, 64, 48).records() + kRestore, ""},
    {"RestoreBeyondTheSaved",
     W().record(f::RestoreDC, {0xFFF0}).record(f::RestoreDC, {5}).records(), ""},
    {"TooManyRecords", kSave + kSave, "records", WmfLimits{.records = 11}},
    {"WorkBeyondTheLimit", repeat(W().rectangle(0, 0, 8, 8).records(), 1000), "too long",
     kLittleWork},
    {"StrokesBeyondTheLimit", zigzag(), "too long", kLittleWork},
    {"GlyphsBeyondTheLimit",
     W().font(-10, 0, 400, false, "DejaVu Sans")
         .select(3)
         .remove(3)
         .textOut(0, 0, std::string(1000, 'W'))
         .records(),
     "too long", kLittleWork},
    {"BitmapDecodingBeyondTheLimit",
     leftHalfDib(test::packedDib(test::solid({200, 200}, Qt::white), 1)), "too long", kLittleWork},
    {"ClipRestoredBeyondTheLimit", clipRestores(), "too long", WmfLimits{.work = 1e6}},
    {"DibLargerThanItsRecord", leftHalfDib(test::packedDib(twoColours(), 24).substr(0, 60)), ""},
    {"DibBeyondThePixelLimit", leftHalfDib(test::packedDib(twoColours(), 1)), "",
     WmfLimits{.dibPixels = 40}},
    {"DibRunLengthEncoded", runLengthDib(), ""},
};

class WmfHostile : public testing::TestWithParam<Hostile> {};

TEST_P(WmfHostile, EndsOrGoesOnCleanly) {
    const Hostile& row = GetParam();
    WmfWriter writer = canvasWriter();
    fillWith(writer, Qt::red).rectangle(0, 0, 32, 48).brush(0, Qt::yellow).select(2);
    writer.append(row.records);
    const std::string bytes = writer.brush(0, Qt::green).select(3).rectangle(32, 0, 64, 48).bytes();
    const WmfHeader header = *readWmfHeader(bytes);
    QImage canvas(kCanvas, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    const WmfPlay play = playWmf(bytes, header, header.bounds, painter, canvas.rect(), row.limits);
    painter.end();
    const bool goesOn = std::string(row.stopped).empty();
    EXPECT_NE(play.stopped.find(row.stopped), std::string::npos) << play.stopped;
    EXPECT_EQ(play.stopped.empty(), goesOn) << play.stopped;
    EXPECT_EQ(QColor(canvas.pixel(16, 24)), QColor(Qt::red));
    EXPECT_EQ(QColor(canvas.pixel(48, 24)), goesOn ? QColor(Qt::green) : QColor(Qt::black));
}

INSTANTIATE_TEST_SUITE_P(Files, WmfHostile, testing::ValuesIn(kHostile), muralto::test::byName);

}  // namespace
}  // namespace muralto::imaging
