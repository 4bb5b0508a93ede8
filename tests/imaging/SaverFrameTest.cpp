// The saver's frame: the canvas centred at scale factor 1, its tile repeated over the window's
// grid at 2 or more, and what hostile sizes give.
#include "imaging/SaverFrame.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <limits>

#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

/// A canvas whose every pixel differs from its neighbours, so a copy from the wrong place or of
/// the wrong size shows.
QImage patterned(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, (x * 7 + y * 13 + 1) & 255));
    }
    return image;
}

CompositionRequest requestFor(QSize target, int scaleFactor, bool caption = false,
                              int charHeight = 13) {
    CompositionRequest request;
    request.target = {target.width(), target.height()};
    request.scaleFactor = scaleFactor;
    request.addCaption = caption;
    request.chars = {charHeight, 11};
    return request;
}

// --- scale factor 1: the canvas centred ---

struct CentredCase {
    const char* name;
    QSize window;
    QSize canvas;
    QPoint position;
    QRect shownPart;  ///< the part of the canvas in the picture box
};

class CentredFrameTest : public testing::TestWithParam<CentredCase> {};

TEST_P(CentredFrameTest, PlacesTheCanvasInTheMiddleOfTheWindow) {
    const CentredCase& c = GetParam();
    const QImage canvas = patterned(c.canvas);
    const SaverFrame frame = composeSaverFrame(canvas, requestFor(c.canvas, 1), c.window);
    EXPECT_EQ(frame.position, c.position);
    EXPECT_TRUE(frame.picture == canvas.copy(c.shownPart));
}

// Halves of a pixel go to the even side: (1024 - 641) / 2 = 191.5, (768 - 481) / 2 = 143.5.
INSTANTIATE_TEST_SUITE_P(
    Sizes, CentredFrameTest,
    testing::Values(
        CentredCase{"Smaller", {1024, 768}, {640, 480}, {192, 144}, {0, 0, 640, 480}},
        CentredCase{"HalvesRoundUpToEven", {1024, 768}, {641, 481}, {192, 144}, {0, 0, 641, 481}},
        CentredCase{"HalvesRoundDownToEven", {1024, 768}, {639, 479}, {192, 144}, {0, 0, 639, 479}},
        CentredCase{"LargerIsCut", {200, 150}, {401, 301}, {0, 0}, {100, 76, 200, 150}},
        CentredCase{"HugeWindow", {30000, 30000}, {640, 480}, {14680, 14760}, {0, 0, 640, 480}}),
    muralto::test::byName);

TEST(CentredFrame, TransparentCanvasShowsBlackAndTheFrameIsOpaque) {
    QImage canvas(40, 30, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    canvas.setPixel(5, 5, qRgb(0, 255, 0));
    const SaverFrame frame = composeSaverFrame(canvas, requestFor({40, 30}, 1), {100, 100});
    ASSERT_FALSE(frame.isEmpty());
    EXPECT_FALSE(frame.picture.hasAlphaChannel());
    EXPECT_EQ(frame.picture.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(frame.picture.pixel(5, 5), qRgb(0, 255, 0));
}

// --- scale factor 2 or more: the tile over the grid ---

struct TiledCase {
    const char* name;
    QSize window;
    QSize target;  ///< W x H as composed
    int scaleFactor;
    bool caption;
    QSize canvas;
    QSize pitch;  ///< W + 4 by T + 4
    QSize grid;   ///< whole tiles across and down, each a copy of the pitch-sized corner
};

class TiledFrameTest : public testing::TestWithParam<TiledCase> {};

TEST_P(TiledFrameTest, CopiesTheTileToEveryWholeTileOfTheGrid) {
    const TiledCase& c = GetParam();
    const QImage canvas = patterned(c.canvas);
    const SaverFrame frame =
        composeSaverFrame(canvas, requestFor(c.target, c.scaleFactor, c.caption), c.window);
    QImage expected(c.window, QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter painter(&expected);
    painter.drawImage(0, 0, canvas);
    for (int row = 0; row < c.grid.height(); ++row)
        for (int column = row == 0 ? 1 : 0; column < c.grid.width(); ++column)
            painter.drawImage(column * c.pitch.width(), row * c.pitch.height(), canvas, 0, 0,
                              c.pitch.width(), c.pitch.height());
    EXPECT_EQ(frame.position, QPoint(0, 0));
    EXPECT_FALSE(frame.picture.hasAlphaChannel());
    EXPECT_TRUE(frame.picture == expected);
}

// With a caption H is 360, and T = 360 + 19.5 = 379.5 rounds to 380; T = 361 + 19.5 = 380.5
// rounds to 380 too, while the caption made that canvas 386 tall. The pitch follows the
// request, not the canvas. Three columns of 341 leave one black column at x = 1023.
const TiledCase kGrids[] = {
    {"TwoByTwo", {1024, 768}, {508, 360}, 2, true, {512, 384}, {512, 384}, {2, 2}},
    {"ThreeByThree", {1024, 768}, {337, 252}, 3, false, {341, 256}, {341, 256}, {3, 3}},
    {"CanvasTaller", {1024, 768}, {508, 361}, 2, true, {512, 386}, {512, 384}, {2, 2}},
    {"OnlyWholeTiles", {1100, 500}, {508, 361}, 2, true, {512, 386}, {512, 384}, {2, 1}},
    {"SmallWindow", {300, 200}, {508, 380}, 2, false, {512, 384}, {512, 384}, {1, 1}},
    {"CanvasSmaller", {1024, 768}, {508, 380}, 2, false, {400, 300}, {512, 384}, {2, 2}},
    {"HugeScaleFactor", {1024, 768}, {-4, -4}, 1000000, false, {1, 1}, {0, 0}, {1, 1}},
};

INSTANTIATE_TEST_SUITE_P(Grids, TiledFrameTest, testing::ValuesIn(kGrids), muralto::test::byName);

// --- sizes that give nothing ---

struct EmptyCase {
    const char* name;
    QSize window;
    QSize canvas;
    QSize target;
    int scaleFactor;
    bool caption;
    int charHeight;
};

class EmptyFrameTest : public testing::TestWithParam<EmptyCase> {};

TEST_P(EmptyFrameTest, GivesAnEmptyFrame) {
    const EmptyCase& c = GetParam();
    const QImage canvas = c.canvas.isEmpty() ? QImage() : patterned(c.canvas);
    const SaverFrame frame = composeSaverFrame(
        canvas, requestFor(c.target, c.scaleFactor, c.caption, c.charHeight), c.window);
    EXPECT_TRUE(frame.isEmpty());
}

constexpr int kMaxInt = std::numeric_limits<int>::max();

INSTANTIATE_TEST_SUITE_P(
    Sizes, EmptyFrameTest,
    testing::Values(EmptyCase{"NoWidth", {0, 768}, {64, 48}, {60, 44}, 2, false, 13},
                    EmptyCase{"NoHeight", {1024, 0}, {64, 48}, {64, 48}, 1, false, 13},
                    EmptyCase{"NoCanvas", {1024, 768}, {0, 0}, {508, 380}, 2, false, 13},
                    EmptyCase{
                        "AboveTheFrameBound", {16385, 8192}, {64, 48}, {8188, 4092}, 2, false, 13}),
    muralto::test::byName);

TEST(TiledFrame, PitchBeyondIntegerRangeCopiesNothing) {
    const QImage canvas = patterned({8, 8});
    const SaverFrame frame =
        composeSaverFrame(canvas, requestFor({kMaxInt, kMaxInt}, 2, true, kMaxInt), {64, 64});
    ASSERT_EQ(frame.picture.size(), QSize(64, 64));
    EXPECT_TRUE(frame.picture.copy(0, 0, 8, 8) == canvas);
    EXPECT_EQ(frame.picture.pixel(63, 63), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace muralto::imaging
