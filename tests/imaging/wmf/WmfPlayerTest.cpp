// Records played onto a canvas are compared with the same drawing made by QPainter, within 2
// levels a channel; text is checked by the bounds of its ink.

#include <gtest/gtest.h>

#include <QPainterPath>

#include <optional>

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

WmfWriter canvasWriter() {
    WmfWriter writer;
    writer.placeable({0, 0, kCanvas.width(), kCanvas.height()}, 96);
    return writer;
}

void expectDrawn(const WmfWriter& writer, const std::function<void(QPainter&)>& reference) {
    const QImage expected = test::drawReference(kCanvas, reference);
    EXPECT_EQ(test::differingPixels(test::renderBytes(writer.bytes(), kCanvas), expected, 2), 0);
}

// --- Shapes, pens, brushes and clips, with a red pen 3 units wide and a blue brush ---------

struct Family {
    const char* name;
    std::string records;
    std::function<void(QPainter&)> reference;
};

// A pentagram: its centre is inside twice, so the odd-even rule leaves it empty.
const QPolygonF kStar({{32, 2}, {44, 44}, {12, 18}, {52, 18}, {20, 44}});
const std::string kStarWords = words({5, 32, 2, 44, 44, 12, 18, 52, 18, 20, 44});
constexpr QRectF kOval(4, 4, 56, 40);

// The reference draws with the red pen and blue brush unless it sets its own.
const Family kFamilies[] = {
    {"Rectangle", W().rectangle(8, 6, 40, 30).records(),
     [](QPainter& p) { p.drawRect(QRectF(8, 6, 32, 24)); }},
    {"Ellipse", W().record(f::Ellipse, {44, 60, 4, 4}).records(),
     [](QPainter& p) { p.drawEllipse(kOval); }},
    {"MoveToLineTo", W().record(f::MoveTo, {5, 3}).record(f::LineTo, {40, 60}).records(),
     [](QPainter& p) { p.drawLine(QPointF(3, 5), QPointF(60, 40)); }},
    {"PolygonAlternate", W().record(f::Polygon, kStarWords).records(),
     [](QPainter& p) { p.drawPolygon(kStar, Qt::OddEvenFill); }},
    {"PolygonWinding", W().record(f::SetPolyFillMode, {2}).record(f::Polygon, kStarWords).records(),
     [](QPainter& p) { p.drawPolygon(kStar, Qt::WindingFill); }},
    {"PolyPolygon",
     W().record(f::PolyPolygon,
                {2, 4, 4, 4, 4, 60, 4, 60, 44, 4, 44, 20, 14, 44, 14, 44, 34, 20, 34})
         .records(),
     [](QPainter& p) {
         QPainterPath ring;
         ring.addRect(kOval);
         ring.addRect(20, 14, 24, 20);
         p.drawPath(ring);
     }},
    // Arcs run counter-clockwise from the start's radial to the end's.
    {"Arc", W().record(f::Arc, {0, 32, 24, 60, 44, 60, 4, 4}).records(),
     [](QPainter& p) { p.drawArc(kOval, 0, 90 * 16); }},
    {"PieFrom12RoundTo3", W().record(f::Pie, {24, 60, 4, 32, 44, 60, 4, 4}).records(),
     [](QPainter& p) { p.drawPie(kOval, 90 * 16, 270 * 16); }},
    {"DashedPenAndHatchOnOpaqueBackground",
     W().pen(1, 1, Qt::green).select(2).brush(2, Qt::yellow, 4).select(3).records() +
         W().record(f::SetBkColor, test::colourRef(Qt::darkBlue)).rectangle(4, 4, 60, 44).records(),
     [](QPainter& p) {
         p.fillRect(kOval, Qt::darkBlue);
         p.setPen(QPen(Qt::green, 1, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
         p.setBrush(QBrush(Qt::yellow, Qt::CrossPattern));
         p.drawRect(kOval);
     }},
    {"PatBltWithBrushAndWhiteness",
     W().record(f::PatBlt, dword(0xF00021) + words({20, 30, 4, 2})).records() +
         W().record(f::PatBlt, dword(0xFF0062) + words({10, 10, 30, 40})).records(),
     [](QPainter& p) {
         p.fillRect(QRectF(2, 4, 30, 20), Qt::blue);
         p.fillRect(QRectF(40, 30, 10, 10), Qt::white);
     }},
    // Objects 0 and 1 are the pen and the brush: the green brush takes the place of the red one.
    {"DeletedObjectsPlaceIsReusedFirst",
     W().brush(0, Qt::red).brush(0, Qt::yellow).record(f::DeleteObject, {2}).records() +
         W().brush(0, Qt::green).select(2).rectangle(8, 6, 40, 30).records(),
     [](QPainter& p) {
         p.setBrush(Qt::green);
         p.drawRect(QRectF(8, 6, 32, 24));
     }},
    {"IntersectAndExcludeClip",
     W().record(f::IntersectClipRect, {40, 50, 10, 10}).records() +
         W().record(f::ExcludeClipRect, {30, 30, 20, 20}).rectangle(0, 0, 64, 48).records(),
     [](QPainter& p) {
         p.setClipRegion(QRegion(10, 10, 40, 30).subtracted(QRegion(20, 20, 10, 10)));
         p.drawRect(QRectF(0, 0, 64, 48));
     }},
};

class WmfShapes : public testing::TestWithParam<Family> {};

TEST_P(WmfShapes, DrawLikeQPainter) {
    WmfWriter writer = canvasWriter();
    writer.pen(0, 3, Qt::red).select(0).brush(0, Qt::blue).select(1).append(GetParam().records);
    expectDrawn(writer, [&](QPainter& p) {
        p.setPen(QPen(Qt::red, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::blue);
        GetParam().reference(p);
    });
}

INSTANTIATE_TEST_SUITE_P(Records, WmfShapes, testing::ValuesIn(kFamilies), muralto::test::byName);

struct Mapping {
    const char* name;
    std::string records;
    QRectF expected;
    QRect bounds = {0, 0, 64, 48};  // of the placeable header; empty: none
    int unitsPerInch = 96;
};

const Mapping kMappings[] = {
    {"WindowExt", W().windowExt(128, 96).rectangle(16, 16, 48, 32).records(), {8, 8, 16, 8}},
    {"Viewport",
     W().record(f::SetViewportOrg, {0, 32}).records() +
         W().record(f::SetViewportExt, {24, 32}).rectangle(8, 8, 24, 16).records(),
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
    {"NoPlaceableTheFirstWindowFrames",
     W().windowOrg(10, 10).windowExt(64, 48).rectangle(18, 18, 34, 26).records(),
     {8, 8, 16, 8},
     {}},
};

class WmfMappings : public testing::TestWithParam<Mapping> {};

TEST_P(WmfMappings, PutTheRectangleWhereTheMappingSays) {
    const Mapping& row = GetParam();
    WmfWriter writer;
    writer.placeable(row.bounds, row.unitsPerInch).pen(5, 0, Qt::black).select(0);
    writer.brush(0, Qt::green).select(1).append(row.records);
    expectDrawn(writer, [&](QPainter& p) { p.fillRect(row.expected, Qt::green); });
}

INSTANTIATE_TEST_SUITE_P(Records, WmfMappings, testing::ValuesIn(kMappings), muralto::test::byName);

struct Natural {
    const char* name;
    QRect bounds;  // empty: no placeable header
    int unitsPerInch;
    QSize windowExt;  // written as a record when not empty
    TargetSize target;
    QSize natural, drawn;  // drawn 0 x 0: the metafile is refused
    std::int64_t memory = 1LL << 30;
};

const Natural kNaturals[] = {
    {"TwipsAroundTheOrigin", {-720, -360, 1440, 720}, 1440, {}, {1024, 768}, {96, 48}, {96, 48}},
    {"TallerIsFitted", {0, 0, 96, 960}, 96, {}, {1024, 768}, {96, 960}, {77, 768}},
    {"WindowExtAt96Dpi", {}, 0, {300, 200}, {150, 150}, {300, 200}, {150, 100}},
    {"NoUnitsPerInch", {0, 0, 96, 96}, 0, {}, {1024, 768}, {}, {0, 0}},
    {"BeyondTheMemoryLimit", {0, 0, 1000, 1000}, 96, {}, {1000, 1000}, {}, {0, 0}, 1 << 20},
};

class WmfNaturalSize : public testing::TestWithParam<Natural> {};

TEST_P(WmfNaturalSize, IsFittedAndNeverEnlarged) {
    const Natural& row = GetParam();
    WmfWriter writer;
    writer.placeable(row.bounds, row.unitsPerInch);
    if (row.windowExt != QSize())
        writer.windowExt(row.windowExt.width(), row.windowExt.height());
    const WmfPicture picture = renderWmf(writer.bytes(), row.target, row.memory);
    EXPECT_EQ(picture.image.size(), row.drawn);
    EXPECT_EQ(picture.error.empty(), !row.drawn.isEmpty()) << picture.error;
    if (!row.natural.isEmpty()) {
        EXPECT_EQ(picture.natural, row.natural);
    }
}

INSTANTIATE_TEST_SUITE_P(Headers, WmfNaturalSize, testing::ValuesIn(kNaturals),
                         muralto::test::byName);

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
    if (record == f::DibBitBlt)
        return rop + words({s.y(), s.x()}) + to + dib;
    return words({0, 6, 0, s.y(), s.x()}) + to + dib;  // SetDIBitsToDevice
}

constexpr QRect kWhole(0, 0, 8, 6), kLowerHalf(0, 3, 8, 3);

const Bitmap kBitmaps[] = {
    {"StretchDib24Bits", f::StretchDib, 24, false, kWhole, {8, 8, 16, 12}},
    {"LowerHalfOfBottomUp", f::StretchDib, 8, false, kLowerHalf, {8, 8, 32, 12}},
    {"LowerHalfOfTopDown", f::StretchDib, 8, true, kLowerHalf, {8, 8, 32, 12}},
    {"DibBitBlt", f::DibBitBlt, 8, true, kWhole, {20, 10, 8, 6}},
    {"SetDibitsToDevice", f::SetDIBitsToDevice, 1, false, kWhole, {30, 20, 8, 6}},
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
    expectDrawn(writer, [&](QPainter& p) {
        p.drawImage(QRectF(row.destination), picture, QRectF(row.source));
    });
}

INSTANTIATE_TEST_SUITE_P(Records, WmfBitmaps, testing::ValuesIn(kBitmaps), muralto::test::byName);

struct Hostile {
    const char* name;
    std::string records;  // with a yellow brush, between a red left half and a green right one
    const char* stopped;  // part of why the play stopped; empty: it did not
    WmfLimits limits = {};
};

/// A StretchDib record of the picture over the left half.
std::string leftHalfDib(std::string dib) {
    return W()
        .record(f::StretchDib, dword(0xCC0020) + words({0, 6, 8, 0, 0, 48, 32, 0, 0}) + dib)
        .records();
}

const Hostile kHostile[] = {
    {"UnknownRecordIsSkipped", W().record(0x0999, {1, 2, 3, 4, 5}).records(), ""},
    {"RecordSizeTooSmall", W().append(dword(0) + words({f::Rectangle})).records(), "size"},
    {"WorkBeyondTheLimit",
     QByteArray::fromStdString(W().rectangle(0, 0, 8, 8).records()).repeated(1000).toStdString(),
     "too long", WmfLimits{.work = 20 * 64 * 48}},
    {"DibBeyondThePixelLimit", leftHalfDib(test::packedDib(twoColours(), 1)), "",
     WmfLimits{.dibPixels = 40}},
};

class WmfHostile : public testing::TestWithParam<Hostile> {};

TEST_P(WmfHostile, EndsOrGoesOnCleanly) {
    const Hostile& row = GetParam();
    WmfWriter writer = canvasWriter();
    writer.pen(5, 0, Qt::black).select(0).brush(0, Qt::red).select(1).rectangle(0, 0, 32, 48);
    writer.brush(0, Qt::yellow).select(2).append(row.records);
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

// --- Text: white on a transparent background with a font of DejaVu Sans (object 0) --------

constexpr QSize kTextCanvas(160, 160);

/// A font of the given height in the canvas's pixels and escapement.
WmfWriter textWriter(int height, int escapement = 0) {
    WmfWriter writer;
    writer.placeable({0, 0, kTextCanvas.width(), kTextCanvas.height()}, 96).textColour(Qt::white);
    writer.backgroundMode(1).font(height, escapement, "DejaVu Sans").select(0);
    return writer;
}

QRect inkOf(const WmfWriter& writer) {
    return test::inkBounds(test::renderBytes(writer.bytes(), kTextCanvas));
}

constexpr int kLeft = 0, kRight = 2, kBottom = 8, kBaseline = 24;

struct Placement {
    const char* name;
    int escapement, align;
    // The edges of the ink that the anchor at (80, 80) fixes; the others depend on the glyphs.
    std::optional<int> left, right, bottom;
    bool runsVertically;
};

const Placement kPlacements[] = {
    {"LeftOnTheBaseline", 0, kLeft | kBaseline, 80, {}, 80, false},
    {"RightOnTheBaseline", 0, kRight | kBaseline, {}, 80, 80, false},
    {"LeftAtTheBottom", 0, kLeft | kBottom, 80, {}, 80 - 5, false},  // less the internal leading
    {"QuarterTurnRunsUpwards", 900, kLeft | kBaseline, {}, 80, 80, true},
};

class WmfTextPlacement : public testing::TestWithParam<Placement> {};

TEST_P(WmfTextPlacement, PutsTheInkWhereTheAnchorSays) {
    const Placement& row = GetParam();
    const QRect ink = inkOf(textWriter(-20, row.escapement)
                                .record(f::SetTextAlign, {row.align})
                                .textOut(80, 80, "HHHH"));
    ASSERT_FALSE(ink.isEmpty());
    // Glyphs have side bearings and the baseline rounds: edges may lie 3 pixels off.
    const auto near = [](int actual, std::optional<int> expected) {
        return !expected || std::abs(actual - *expected) <= 3;
    };
    EXPECT_TRUE(near(ink.left(), row.left)) << ink.left();
    EXPECT_TRUE(near(ink.right() + 1, row.right)) << ink.right() + 1;
    EXPECT_TRUE(near(ink.bottom() + 1, row.bottom)) << ink.bottom() + 1;
    EXPECT_EQ(ink.height() > ink.width(), row.runsVertically) << ink.width() << "x" << ink.height();
}

INSTANTIATE_TEST_SUITE_P(Alignments, WmfTextPlacement, testing::ValuesIn(kPlacements),
                         muralto::test::byName);

TEST(WmfText, EmHeightSetsTheCapitalsHeightCellHeightIsSmallerBothFollowTheMapping) {
    // DejaVu Sans capitals are 0.73 em tall; a cell of 40 is about 34 em.
    EXPECT_NEAR(inkOf(textWriter(-40).textOut(10, 100, "HH")).height(), 0.73 * 40, 2);
    EXPECT_NEAR(inkOf(textWriter(40).textOut(10, 100, "HH")).height(), 0.73 * 40 * 40 / 46.6, 2);
    const QRect halved = inkOf(textWriter(-80).windowExt(320, 320).textOut(20, 200, "HH"));
    EXPECT_NEAR(halved.height(), 0.73 * 40, 2);
}

TEST(WmfText, ExtTextOutPlacesEachGlyphAtItsAdvanceAndFillsItsOpaqueRectangle) {
    const QRect ink = inkOf(
        textWriter(-20).record(f::ExtTextOut, words({100, 10, 2, 0}) + "II" + words({100, 0})));
    EXPECT_NEAR(ink.width(), 100 + 4, 4);  // from the first I's stem to the second's
    WmfWriter writer = textWriter(-20);
    writer.record(f::SetBkColor, test::colourRef(Qt::blue))
        .record(f::ExtTextOut, words({50, 10, 0, 2, 10, 20, 70, 60}));
    const QImage expected =
        test::drawReference(kTextCanvas, [](QPainter& p) { p.fillRect(10, 20, 60, 40, Qt::blue); });
    EXPECT_EQ(test::differingPixels(test::renderBytes(writer.bytes(), kTextCanvas), expected, 0),
              0);
}

}  // namespace
}  // namespace muralto::imaging
