// The metafile player's mapping, natural size, object table, bitmaps and bounds.

#include <gtest/gtest.h>

#include <ostream>

#include "tests/imaging/PictureFiles.h"
#include "tests/imaging/wmf/WmfDrawing.h"
#include "tests/imaging/wmf/WmfWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using test::dword;
using test::WmfWriter;
using test::words;
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

// --- Mapping ----------------------------------------------------------------------------------

struct Mapping {
    const char* name;
    QRect bounds;  // the placeable header's; an empty one writes none
    int unitsPerInch;
    std::function<void(WmfWriter&)> records;  // the mapping, then one rectangle
    QRectF expected;                          // where the rectangle lands on the canvas
};

void PrintTo(const Mapping& row, std::ostream* out) {
    *out << row.name;
}

const Mapping kMappings[] = {
    {"BoundsAreTheDefaultWindow",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) { w.rectangle(8, 8, 24, 16); },
     {8, 8, 16, 8}},
    {"LargerWindowExtentShrinks",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) { w.windowExt(128, 96).rectangle(16, 16, 48, 32); },
     {8, 8, 16, 8}},
    {"WindowOriginMoves",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) { w.windowOrg(100, 200).rectangle(108, 208, 124, 216); },
     {8, 8, 16, 8}},
    {"NegativeExtentCountsUpwards",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) { w.windowOrg(0, 48).windowExt(64, -48).rectangle(8, 8, 24, 16); },
     {8, 32, 16, 8}},
    {"ViewportOriginAndExtent",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) { w.viewportOrg(32, 0).viewportExt(32, 24).rectangle(8, 8, 24, 16); },
     {36, 4, 8, 4}},
    {"IsotropicKeepsTheSmallerScale",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) { w.mapMode(7).windowExt(32, 48).rectangle(8, 8, 24, 16); },
     {8, 8, 16, 8}},
    {"AnisotropicScalesEachAxis",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) { w.mapMode(8).windowExt(32, 48).rectangle(8, 8, 24, 16); },
     {16, 8, 32, 8}},
    {"TextModeIgnoresExtents",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) {
         w.mapMode(1).windowOrg(4, 4).windowExt(1000, 1000).rectangle(8, 8, 24, 16);
     },
     {4, 4, 16, 8}},
    // 960 file units an inch: a twip is 2/3 of one, and the canvas shows a tenth of the units.
    {"TwipsCountUpwardsAtTheFilesUnits",
     {0, 0, 640, 480},
     960,
     [](WmfWriter& w) { w.mapMode(6).rectangle(120, -120, 360, -240); },
     {8, 8, 16, 8}},
    {"OffsetOriginAndScaledExtent",
     {0, 0, 64, 48},
     96,
     [](WmfWriter& w) {
         w.record(f::OffsetWindowOrg, {8, 8}).record(f::ScaleWindowExt, {1, 2, 1, 2});
         w.rectangle(24, 24, 56, 40);
     },
     {8, 8, 16, 8}},
    {"WithoutPlaceableHeaderTheFirstWindowFrames",
     {},
     0,
     [](WmfWriter& w) { w.windowOrg(10, 10).windowExt(64, 48).rectangle(18, 18, 34, 26); },
     {8, 8, 16, 8}},
};

class WmfMappings : public testing::TestWithParam<Mapping> {};

TEST_P(WmfMappings, PutTheRectangleWhereTheMappingSays) {
    const Mapping& row = GetParam();
    WmfWriter writer;
    if (!row.bounds.isEmpty())
        writer.placeable(row.bounds, row.unitsPerInch);
    fillWith(writer, Qt::green);
    row.records(writer);
    const QImage played = test::renderBytes(writer.bytes(), kCanvas);
    const QImage expected =
        test::drawReference(kCanvas, [&](QPainter& p) { p.fillRect(row.expected, Qt::green); });
    EXPECT_EQ(test::differingPixels(played, expected, 2), 0)
        << "ink at " << test::inkBounds(played).x() << "," << test::inkBounds(played).y() << " "
        << test::inkBounds(played).width() << "x" << test::inkBounds(played).height();
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

void PrintTo(const Natural& row, std::ostream* out) {
    *out << row.name;
}

const Natural kNaturals[] = {
    {"TwipsBounds", {0, 0, 1440, 720}, 1440, {}, {1024, 768}, {96, 48}, {96, 48}},
    {"BoundsAroundTheOrigin", {-100, -100, 200, 200}, 100, {}, {1024, 768}, {192, 192}, {192, 192}},
    {"LargerThanTheTargetIsFitted",
     {0, 0, 5760, 2880},
     576,
     {},
     {480, 480},
     {960, 480},
     {480, 240}},
    {"TallerThanTheTargetIsFitted", {0, 0, 96, 960}, 96, {}, {1024, 768}, {96, 960}, {77, 768}},
    {"PlaceableIgnoresTheWindowExtent",
     {0, 0, 96, 96},
     96,
     {500, 500},
     {1024, 768},
     {96, 96},
     {96, 96}},
    {"WindowExtentAt96Dpi", {}, 0, {300, 200}, {150, 150}, {300, 200}, {150, 100}},
    {"NegativeWindowExtent", {}, 0, {300, -200}, {1024, 768}, {300, 200}, {300, 200}},
    {"NoUnitsPerInch", {0, 0, 96, 96}, 0, {}, {1024, 768}, {}, {0, 0}},
    {"NoWindowExtent", {}, 0, {}, {1024, 768}, {}, {0, 0}},
};

class WmfNaturalSize : public testing::TestWithParam<Natural> {};

TEST_P(WmfNaturalSize, IsFittedAndNeverEnlarged) {
    const Natural& row = GetParam();
    WmfWriter writer;
    if (!row.bounds.isEmpty())
        writer.placeable(row.bounds, row.unitsPerInch);
    if (row.windowExt != QSize())
        writer.windowExt(row.windowExt.width(), row.windowExt.height());
    writer.rectangle(0, 0, 10, 10);
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
    WmfWriter writer;
    writer.placeable({0, 0, 1000, 1000}, 96);
    const WmfPicture picture = renderWmf(writer.bytes(), {1000, 1000}, 1 << 20);
    EXPECT_TRUE(picture.image.isNull());
    EXPECT_NE(picture.error.find("1 MB"), std::string::npos) << picture.error;
}

// --- Object table -----------------------------------------------------------------------------

struct Objects {
    const char* name;
    int tableSize;
    std::function<void(WmfWriter&)> records;  // select the brush that the rectangle shows
    QColor shown;
};

void PrintTo(const Objects& row, std::ostream* out) {
    *out << row.name;
}

const Objects kObjects[] = {
    {"SelectAfterDeleteKeepsTheBrush", 4,
     [](WmfWriter& w) { w.brush(0, Qt::red).select(0).brush(0, Qt::green).remove(1).select(1); },
     Qt::red},
    {"DeletedIndexIsReusedFirst", 4,
     [](WmfWriter& w) {
         w.brush(0, Qt::red).brush(0, Qt::green).remove(0).brush(0, Qt::yellow).select(0);
     },
     Qt::yellow},
    {"FullTableDropsTheNewObject", 2,
     [](WmfWriter& w) {
         w.brush(0, Qt::red).brush(0, Qt::green).select(1).brush(0, Qt::yellow).select(2);
     },
     Qt::green},
    {"IndexOutOfRangeIsIgnored", 4,
     [](WmfWriter& w) { w.brush(0, Qt::red).select(0).select(60000).select(3); }, Qt::red},
    {"PalettesAndRegionsHoldTheirPlaces", 4,
     [](WmfWriter& w) {
         w.record(f::CreatePalette, {0x300, 0}).record(f::CreateRegion, words({0, 0, 0, 0}));
         w.brush(0, Qt::red).select(2);
     },
     Qt::red},
    {"PenSelectedByIndexIsNoBrush", 4,
     [](WmfWriter& w) { w.brush(0, Qt::red).select(0).pen(0, 1, Qt::green).select(1); }, Qt::red},
    {"DefaultBrushIsWhite", 0, [](WmfWriter& w) { w.brush(0, Qt::red).select(0); }, Qt::white},
};

class WmfObjects : public testing::TestWithParam<Objects> {};

TEST_P(WmfObjects, SelectAsTheTableHoldsThem) {
    const Objects& row = GetParam();
    WmfWriter writer = canvasWriter();
    writer.objects(row.tableSize);
    row.records(writer);
    writer.rectangle(8, 8, 56, 40);
    const QImage played = test::renderBytes(writer.bytes(), kCanvas);
    EXPECT_EQ(QColor(played.pixel(32, 24)), row.shown);
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

enum class Blit { StretchDib, DibStretchBlt, DibBitBlt, SetDibits };

struct Bitmap {
    const char* name;
    Blit record;
    int bits;
    bool topDown;
    QRect source;       // in the picture's pixels, from its top
    QRect destination;  // on the canvas
};

void PrintTo(const Bitmap& row, std::ostream* out) {
    *out << row.name;
}

/// The record drawing dib from source (y as the record counts it) into destination.
std::string blitRecord(const Bitmap& row, QRect source, const std::string& dib) {
    const QRect& d = row.destination;
    const QRect& s = source;
    switch (row.record) {
        case Blit::StretchDib:
            return dword(0xCC0020) +
                   words({0, s.height(), s.width(), s.y(), s.x(), d.height(), d.width(), d.y(),
                          d.x()}) +
                   dib;
        case Blit::DibStretchBlt:
            return dword(0xCC0020) +
                   words(
                       {s.height(), s.width(), s.y(), s.x(), d.height(), d.width(), d.y(), d.x()}) +
                   dib;
        case Blit::DibBitBlt:
            return dword(0xCC0020) + words({s.y(), s.x(), d.height(), d.width(), d.y(), d.x()}) +
                   dib;
        case Blit::SetDibits:
            return words({0, 6, 0, s.y(), s.x(), d.height(), d.width(), d.y(), d.x()}) + dib;
    }
    return {};
}

std::uint16_t functionOf(Blit record) {
    switch (record) {
        case Blit::StretchDib:
            return f::StretchDib;
        case Blit::DibStretchBlt:
            return f::DibStretchBlt;
        case Blit::DibBitBlt:
            return f::DibBitBlt;
        case Blit::SetDibits:
            return f::SetDIBitsToDevice;
    }
    return 0;
}

const Bitmap kBitmaps[] = {
    {"StretchDib1Bit", Blit::StretchDib, 1, false, {0, 0, 8, 6}, {8, 8, 16, 12}},
    {"StretchDib4Bits", Blit::StretchDib, 4, false, {0, 0, 8, 6}, {8, 8, 16, 12}},
    {"StretchDib8Bits", Blit::StretchDib, 8, false, {0, 0, 8, 6}, {8, 8, 16, 12}},
    {"StretchDib16Bits", Blit::StretchDib, 16, false, {0, 0, 8, 6}, {8, 8, 16, 12}},
    {"StretchDib24Bits", Blit::StretchDib, 24, false, {0, 0, 8, 6}, {8, 8, 16, 12}},
    {"StretchDib32Bits", Blit::StretchDib, 32, false, {0, 0, 8, 6}, {8, 8, 16, 12}},
    {"StretchDibTopDown", Blit::StretchDib, 24, true, {0, 0, 8, 6}, {8, 8, 16, 12}},
    {"StretchDibLowerHalfOfBottomUp", Blit::StretchDib, 8, false, {0, 3, 8, 3}, {8, 8, 32, 12}},
    {"StretchDibLowerHalfOfTopDown", Blit::StretchDib, 8, true, {0, 3, 8, 3}, {8, 8, 32, 12}},
    {"DibStretchBlt1Bit", Blit::DibStretchBlt, 1, false, {0, 0, 8, 6}, {4, 4, 24, 18}},
    {"DibStretchBlt24Bits", Blit::DibStretchBlt, 24, false, {0, 0, 8, 6}, {4, 4, 24, 18}},
    {"DibBitBlt4Bits", Blit::DibBitBlt, 4, false, {0, 0, 8, 6}, {20, 10, 8, 6}},
    {"DibBitBlt8Bits", Blit::DibBitBlt, 8, true, {0, 0, 8, 6}, {20, 10, 8, 6}},
    {"SetDibitsToDevice1Bit", Blit::SetDibits, 1, false, {0, 0, 8, 6}, {30, 20, 8, 6}},
    {"SetDibitsToDevice24Bits", Blit::SetDibits, 24, false, {0, 0, 8, 6}, {30, 20, 8, 6}},
};

class WmfBitmaps : public testing::TestWithParam<Bitmap> {};

TEST_P(WmfBitmaps, DrawLikeTheSamePictureDrawnByQPainter) {
    const Bitmap& row = GetParam();
    const QImage picture = twoColours();
    QRect stored = row.source;  // bottom-up rows count the source's y from the bottom row
    if (!row.topDown)
        stored.moveTop(picture.height() - row.source.bottom() - 1);
    WmfWriter writer = canvasWriter();
    writer.record(functionOf(row.record),
                  blitRecord(row, stored, test::packedDib(picture, row.bits, row.topDown)));
    const QImage played = test::renderBytes(writer.bytes(), kCanvas);
    const QImage expected = test::drawReference(kCanvas, [&](QPainter& p) {
        p.drawImage(QRectF(row.destination), picture, QRectF(row.source));
    });
    EXPECT_EQ(test::differingPixels(played, expected, 2), 0);
}

INSTANTIATE_TEST_SUITE_P(Records, WmfBitmaps, testing::ValuesIn(kBitmaps), muralto::test::byName);

TEST(WmfBitmapsTest, NegativeDestinationWidthMirrors) {
    const QImage picture = twoColours();
    WmfWriter writer = canvasWriter();
    writer.record(f::StretchDib, dword(0xCC0020) + words({0, 6, 8, 0, 0, 12, -16, 8, 24}) +
                                     test::packedDib(picture, 24));
    const QImage played = test::renderBytes(writer.bytes(), kCanvas);
    const QImage expected = test::drawReference(kCanvas, [&](QPainter& p) {
        p.drawImage(QRectF(8, 8, 16, 12), picture.mirrored(true, false));
    });
    EXPECT_EQ(test::differingPixels(played, expected, 2), 0);
}

// --- Bounds for hostile files -----------------------------------------------------------------

struct Hostile {
    const char* name;
    /// Records played with a yellow brush after a red rectangle on the left half, before a green
    /// one on the right half. What they must not draw covers the left half's centre.
    std::function<void(WmfWriter&)> records;
    const char* stopped;  // part of why the play stopped; empty: it did not
    bool greenDrawn;
    WmfLimits limits = {};
};

void PrintTo(const Hostile& row, std::ostream* out) {
    *out << row.name;
}

/// A StretchDib record of the two-colour picture over the left half.
std::string leftHalfDib(const std::string& dib) {
    return dword(0xCC0020) + words({0, 6, 8, 0, 0, 48, 32, 0, 0}) + dib;
}

const Hostile kHostile[] = {
    {"UnknownRecordIsSkippedBySize",
     [](WmfWriter& w) {
         w.record(0x0999, words({1, 2, 3, 4, 5}));
     },
     "", true},
    {"RecordSizeZeroEndsThePlay", [](WmfWriter& w) { w.rawRecord(0, f::Rectangle, ""); }, "size",
     false},
    {"RecordSizeBackwardsEndsThePlay", [](WmfWriter& w) { w.rawRecord(2, f::Rectangle, ""); },
     "size", false},
    {"RecordSizePastTheEndEndsThePlay",
     [](WmfWriter& w) {
         w.rawRecord(100000, f::Rectangle, words({48, 64, 0, 0}));
     },
     "size", false},
    {"ShortRecordReadsZeros", [](WmfWriter& w) { w.record(f::Rectangle, words({40})); }, "", true},
    {"PolygonClaimingMorePointsThanItHolds",
     [](WmfWriter& w) {
         w.record(f::Polygon, words({65535, 0, 0, 64, 0, 64, 48, 0, 48}));
     },
     "", true},
    {"PolyPolygonClaimingMorePolygonsThanItHolds",
     [](WmfWriter& w) {
         w.record(f::PolyPolygon, words({65535, 4, 0, 0, 64, 0, 64, 48, 0, 48}));
     },
     "", true},
    {"PolygonBeyondThePointLimit",
     [](WmfWriter& w) {
         std::string points = words({0, 0, 64, 0, 64, 48});
         for (int i = 0; i < 297; ++i)
             points += words({0, 48});
         w.record(f::Polygon, words({300}) + points);
     },
     "", true, WmfLimits{.points = 200}},
    {"HugeScaleIsRefusedNotDrawn",
     [](WmfWriter& w) {
         w.record(f::SaveDC, {}).windowExt(1, 1).viewportExt(32767, 32767);
         w.record(f::Ellipse, {32767, 32767, -32768, -32768}).record(f::RestoreDC, {0xFFFF});
     },
     "", true},
    {"ZeroExtentDrawsNothing",
     [](WmfWriter& w) {
         w.record(f::SaveDC, {}).windowExt(0, 0).rectangle(0, 0, 64, 48);
         w.record(f::RestoreDC, {0xFFFF});
     },
     "", true},
    {"RestoreBeyondTheSavedStatesIsIgnored",
     [](WmfWriter& w) { w.record(f::RestoreDC, {0xFFF0}).record(f::RestoreDC, {5}); }, "", true},
    {"TooManyRecords", [](WmfWriter& w) { w.record(f::SaveDC, {}).record(f::SaveDC, {}); },
     "records", false, WmfLimits{.records = 11}},
    {"WorkBeyondTheLimit",
     [](WmfWriter& w) {
         for (int i = 0; i < 1000; ++i)
             w.rectangle(0, 0, 8, 8);
     },
     "too long", false, WmfLimits{.work = 20 * 64 * 48}},
    {"StrokesBeyondTheLimit",
     [](WmfWriter& w) {
         std::string points;
         for (int i = 0; i < 1000; ++i)
             points += words({i % 2 * 64, i % 48});
         w.pen(0, 1, Qt::yellow).select(3).remove(3).record(f::Polyline, words({1000}) + points);
     },
     "too long", false, WmfLimits{.work = 20 * 64 * 48}},
    {"GlyphsBeyondTheLimit",
     [](WmfWriter& w) {
         w.font(-10, 0, 400, false, "DejaVu Sans").select(3).remove(3);
         w.textOut(0, 0, std::string(1000, 'W'));
     },
     "too long", false, WmfLimits{.work = 20 * 64 * 48}},
    {"BitmapDecodingBeyondTheLimit",
     [](WmfWriter& w) {
         w.record(f::StretchDib,
                  leftHalfDib(test::packedDib(test::solid({200, 200}, Qt::white), 1)));
     },
     "too long", false, WmfLimits{.work = 20 * 64 * 48}},
    {"ClipRestoredBeyondTheLimit",
     [](WmfWriter& w) {
         for (int i = 0; i < 24; ++i)
             w.record(f::ExcludeClipRect, {2 * i + 1, 2 * i + 1, 2 * i, 2 * i});
         for (int i = 0; i < 1000; ++i)
             w.record(f::SaveDC, {}).record(f::RestoreDC, {0xFFFF});
     },
     "too long", false, WmfLimits{.work = 1e6}},
    {"DibLargerThanItsRecord",
     [](WmfWriter& w) {
         w.record(f::StretchDib, leftHalfDib(test::packedDib(twoColours(), 24).substr(0, 60)));
     },
     "", true},
    {"DibBeyondThePixelLimit",
     [](WmfWriter& w) { w.record(f::StretchDib, leftHalfDib(test::packedDib(twoColours(), 1))); },
     "", true, WmfLimits{.dibPixels = 40}},
    {"DibOfAnUnknownKind",
     [](WmfWriter& w) {
         std::string dib = test::packedDib(twoColours(), 8);
         dib.replace(16, 4, dword(1));  // run-length encoded
         w.record(f::StretchDib, leftHalfDib(dib));
     },
     "", true},
};

class WmfHostile : public testing::TestWithParam<Hostile> {};

TEST_P(WmfHostile, EndsOrGoesOnCleanly) {
    const Hostile& row = GetParam();
    WmfWriter writer = canvasWriter();
    fillWith(writer, Qt::red).rectangle(0, 0, 32, 48).brush(0, Qt::yellow).select(2);
    row.records(writer);
    writer.brush(0, Qt::green).select(3).rectangle(32, 0, 64, 48);
    const std::string bytes = writer.bytes();
    const WmfHeader header = *readWmfHeader(bytes);
    QImage canvas(kCanvas, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    const WmfPlay play = playWmf(bytes, header, header.bounds, painter, canvas.rect(), row.limits);
    painter.end();
    EXPECT_NE(play.stopped.find(row.stopped), std::string::npos) << play.stopped;
    EXPECT_EQ(play.stopped.empty(), std::string(row.stopped).empty()) << play.stopped;
    EXPECT_EQ(QColor(canvas.pixel(16, 24)), QColor(Qt::red));
    EXPECT_EQ(QColor(canvas.pixel(48, 24)), row.greenDrawn ? QColor(Qt::green) : QColor(Qt::black));
}

INSTANTIATE_TEST_SUITE_P(Files, WmfHostile, testing::ValuesIn(kHostile), muralto::test::byName);

}  // namespace
}  // namespace muralto::imaging
