// Text records: where the ink of the glyphs lands for the font's escapement and the alignment,
// and the font's height, weight and slant. Glyph shapes belong to the font, so the checks are on
// the ink's bounds, within stated tolerances.

#include <gtest/gtest.h>

#include <optional>

#include "tests/imaging/wmf/WmfWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using test::WmfWriter;
using test::words;
namespace f = WmfFunction;

constexpr QSize kCanvas(160, 160);
constexpr QPoint kAnchor(80, 80);
/// How far an edge of the ink may lie from where the alignment puts it, in pixels: glyphs have
/// side bearings and the baseline rounds.
constexpr int kEdgeTolerance = 3;

constexpr int kLeft = 0, kRight = 2, kCentre = 6, kTop = 0, kBottom = 8, kBaseline = 24;

/// White text on a transparent background with a font (object 0) of the given height (logical
/// units, which are the canvas's pixels), escapement, weight and slant.
WmfWriter textWriter(int height, int escapement = 0, int weight = 400, bool italic = false) {
    WmfWriter writer;
    writer.placeable({0, 0, kCanvas.width(), kCanvas.height()}, 96)
        .textColour(Qt::white)
        .backgroundMode(1)
        .font(height, escapement, weight, italic, "DejaVu Sans")
        .select(0);
    return writer;
}

QRect inkOf(const WmfWriter& writer) {
    return test::inkBounds(test::renderBytes(writer.bytes(), kCanvas));
}

struct Placement {
    const char* name;
    int escapement, align;
    // The edges of the ink that the anchor fixes; the others depend on the glyphs.
    std::optional<int> left, right, top, bottom, centreX;
    bool runsVertically;
};

const Placement kPlacements[] = {
    {"LeftOnTheBaseline", 0, kLeft | kBaseline, 80, {}, {}, 80, {}, false},
    {"RightOnTheBaseline", 0, kRight | kBaseline, {}, 80, {}, 80, {}, false},
    {"CentredOnTheBaseline", 0, kCentre | kBaseline, {}, {}, {}, 80, 80, false},
    // The cell's top is above the capitals by the font's internal leading.
    {"LeftAtTheBottom", 0, kLeft | kBottom, 80, {}, {}, 80 - 5, {}, false},
    {"QuarterTurnRunsUpwards", 900, kLeft | kBaseline, {}, 80, {}, 80, {}, true},
};

class WmfTextPlacement : public testing::TestWithParam<Placement> {};

TEST_P(WmfTextPlacement, PutsTheInkWhereTheAnchorSays) {
    const Placement& row = GetParam();
    WmfWriter writer = textWriter(-20, row.escapement);
    writer.record(f::SetTextAlign, {row.align}).textOut(kAnchor.x(), kAnchor.y(), "HHHH");
    const QRect ink = inkOf(writer);
    ASSERT_FALSE(ink.isEmpty());
    const auto near = [](int actual, std::optional<int> expected) {
        return !expected || std::abs(actual - *expected) <= kEdgeTolerance;
    };
    EXPECT_TRUE(near(ink.left(), row.left)) << ink.left();
    EXPECT_TRUE(near(ink.right() + 1, row.right)) << ink.right() + 1;
    EXPECT_TRUE(near(ink.top(), row.top)) << ink.top();
    EXPECT_TRUE(near(ink.bottom() + 1, row.bottom)) << ink.bottom() + 1;
    EXPECT_TRUE(near(ink.center().x(), row.centreX)) << ink.center().x();
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

int inkPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y));
    return count / 255;
}

TEST(WmfText, BoldTakesMoreInkAndItalicLeans) {
    const auto render = [](int weight, bool italic) {
        return test::renderBytes(textWriter(-30, 0, weight, italic).textOut(10, 80, "IIII").bytes(),
                                 kCanvas);
    };
    const QImage regular = render(400, false);
    EXPECT_GT(inkPixels(render(700, false)), inkPixels(regular) * 13 / 10);
    // The stems of leaning capitals I reach further right at the top than at the bottom.
    EXPECT_GT(test::inkBounds(render(400, true)).width(), test::inkBounds(regular).width() + 3);
}

TEST(WmfText, ExtTextOutPlacesEachGlyphAtItsAdvance) {
    WmfWriter writer = textWriter(-20);
    writer.record(f::ExtTextOut, words({100, 10, 2, 0}) + "II" + words({100, 0}));
    const QRect ink = inkOf(writer);
    EXPECT_NEAR(ink.width(), 100 + 4, 4);  // from the first I's stem to the second's
}

TEST(WmfText, ExtTextOutFillsItsOpaqueRectangleWithTheBackgroundColour) {
    WmfWriter writer = textWriter(-20);
    writer.record(f::SetBkColor, test::colourRef(Qt::blue))
        .record(f::ExtTextOut, words({50, 10, 0, 2, 10, 20, 70, 60}));
    const QImage played = test::renderBytes(writer.bytes(), kCanvas);
    const QImage expected =
        test::drawReference(kCanvas, [](QPainter& p) { p.fillRect(10, 20, 60, 40, Qt::blue); });
    EXPECT_EQ(test::differingPixels(played, expected, 0), 0);
}

TEST(WmfText, OpaqueModeFillsTheTextCellAndTheTextHasItsColour) {
    WmfWriter writer = textWriter(-20);
    writer.backgroundMode(2)
        .record(f::SetBkColor, test::colourRef(Qt::blue))
        .textColour(Qt::yellow)
        .textOut(20, 40, "H");
    const QImage played = test::renderBytes(writer.bytes(), kCanvas);
    const QRect cell = test::inkBounds(played);
    EXPECT_EQ(cell.top(), 40);  // the cell starts at the anchor, as text aligns to its top
    EXPECT_NEAR(cell.height(), 20 * 1.16, 2);
    EXPECT_EQ(QColor(played.pixel(cell.topLeft())), QColor(Qt::blue));
    bool yellow = false;
    for (int x = cell.left(); x <= cell.right(); ++x)
        yellow |= QColor(played.pixel(x, cell.center().y())) == QColor(Qt::yellow);
    EXPECT_TRUE(yellow);
}

TEST(WmfText, UpdatingTheCurrentPositionRunsOnFromTheLastText) {
    WmfWriter writer = textWriter(-20);
    writer.record(f::SetTextAlign, {1}).record(f::MoveTo, {40, 10});
    writer.textOut(0, 0, "H").textOut(0, 0, "H").textOut(0, 0, "H");
    const QRect once = inkOf(textWriter(-20).textOut(10, 40, "H"));
    const QRect ink = inkOf(writer);
    EXPECT_EQ(ink.top(), once.top());
    EXPECT_NEAR(ink.width(), 3 * once.width() + 2 * (once.left() - 10) * 2, 3);
}

}  // namespace
}  // namespace muralto::imaging
