// The saver's frame: the canvas centred at scale factor 1, its tile repeated over the window's
// grid at 2 or more, and what hostile sizes give.
#include "imaging/SaverFrame.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <limits>
#include <vector>

#include "tests/imaging/PictureFiles.h"
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

INSTANTIATE_TEST_SUITE_P(
    Sizes, CentredFrameTest,
    testing::Values(
        CentredCase{
            "ScreenWithSmallerPicture", {1024, 768}, {640, 480}, {192, 144}, {0, 0, 640, 480}},
        // (1024 - 641) / 2 = 191.5 and (768 - 481) / 2 = 143.5: halves go to the even side
        CentredCase{"HalvesRoundUpToEven", {1024, 768}, {641, 481}, {192, 144}, {0, 0, 641, 481}},
        CentredCase{"HalvesRoundDownToEven", {1024, 768}, {639, 479}, {192, 144}, {0, 0, 639, 479}},
        CentredCase{"PreviewUsesItsOwnSize", {200, 150}, {100, 50}, {50, 50}, {0, 0, 100, 50}},
        CentredCase{"FillsTheWindow", {1024, 768}, {1024, 768}, {0, 0}, {0, 0, 1024, 768}},
        CentredCase{"WiderThanTheWindowIsCut", {200, 150}, {300, 100}, {0, 25}, {50, 0, 200, 100}},
        CentredCase{
            "LargerThanTheWindowIsCut", {200, 150}, {401, 301}, {0, 0}, {100, 76, 200, 150}},
        CentredCase{"HugeWindowNeedsNoAllocation",
                    {30000, 30000},
                    {640, 480},
                    {14680, 14760},
                    {0, 0, 640, 480}}),
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
    QSize pitch;                 ///< W + 4 by T + 4
    std::vector<QPoint> copies;  ///< every place the tile is copied to, besides (0, 0)
};

/// What the frame must be: black, the canvas at the corner, the pitch-sized corner rectangle
/// of the canvas at each listed place.
QImage expectedFrame(const TiledCase& c, const QImage& canvas) {
    QImage expected(c.window, QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter painter(&expected);
    painter.drawImage(0, 0, canvas);
    const QImage tile = canvas.copy(QRect(QPoint(0, 0), c.pitch));
    for (const QPoint& place : c.copies)
        painter.drawImage(place, tile);
    return expected;
}

class TiledFrameTest : public testing::TestWithParam<TiledCase> {};

TEST_P(TiledFrameTest, CopiesTheTileToEveryWholeTileOfTheGrid) {
    const TiledCase& c = GetParam();
    const QImage canvas = patterned(c.canvas);
    const SaverFrame frame =
        composeSaverFrame(canvas, requestFor(c.target, c.scaleFactor, c.caption), c.window);
    EXPECT_EQ(frame.position, QPoint(0, 0));
    ASSERT_EQ(frame.picture.size(), c.window);
    EXPECT_FALSE(frame.picture.hasAlphaChannel());
    EXPECT_TRUE(frame.picture == expectedFrame(c, canvas));
}

INSTANTIATE_TEST_SUITE_P(
    Grids, TiledFrameTest,
    testing::Values(
        TiledCase{"TwoByTwo",
                  {1024, 768},
                  {508, 380},
                  2,
                  false,
                  {512, 384},
                  {512, 384},
                  {{512, 0}, {0, 384}, {512, 384}}},
        // H = 360 after the caption room; T = 360 + 19.5 = 379.5 rounds to 380
        TiledCase{"TwoByTwoWithCaption",
                  {1024, 768},
                  {508, 360},
                  2,
                  true,
                  {512, 384},
                  {512, 384},
                  {{512, 0}, {0, 384}, {512, 384}}},
        // three columns of 341 leave one black column at x = 1023
        TiledCase{"ThreeByThreeLeavesAStripBlack",
                  {1024, 768},
                  {337, 252},
                  3,
                  false,
                  {341, 256},
                  {341, 256},
                  {{341, 0},
                   {682, 0},
                   {0, 256},
                   {341, 256},
                   {682, 256},
                   {0, 512},
                   {341, 512},
                   {682, 512}}},
        TiledCase{"PreviewUsesItsOwnSize",
                  {200, 150},
                  {96, 71},
                  2,
                  false,
                  {100, 75},
                  {100, 75},
                  {{100, 0}, {0, 75}, {100, 75}}},
        // T = 361 + 19.5 = 380.5 rounds to 380, while the caption made the canvas 386 tall:
        // the next row's copies cover its last two rows
        TiledCase{"CanvasTallerThanThePitch",
                  {1024, 768},
                  {508, 361},
                  2,
                  true,
                  {512, 386},
                  {512, 384},
                  {{512, 0}, {0, 384}, {512, 384}}},
        // one row only: the canvas's rows below the pitch stay, the copy beside it lacks them
        TiledCase{"OnlyWholeTilesAreCopied",
                  {1100, 500},
                  {508, 361},
                  2,
                  true,
                  {512, 386},
                  {512, 384},
                  {{512, 0}}},
        TiledCase{
            "WindowSmallerThanATile", {300, 200}, {508, 380}, 2, false, {512, 384}, {512, 384}, {}},
        // the pitch follows the request, not the canvas
        TiledCase{"CanvasSmallerThanThePitch",
                  {1024, 768},
                  {508, 380},
                  2,
                  false,
                  {400, 300},
                  {512, 384},
                  {{512, 0}, {0, 384}, {512, 384}}},
        TiledCase{"HugeScaleFactorPlacesNoCopies",
                  {1024, 768},
                  {-4, -4},
                  1000000,
                  false,
                  {1, 1},
                  {0, 0},
                  {}}),
    muralto::test::byName);

TEST(TiledFrame, EveryTileOfAComposedCanvasCarriesItsCaption) {
    muralto::test::TempDir dir;
    const auto path =
        dir.write("sea/shore.png", test::encode(test::solid({900, 900}, Qt::green), "png"));
    const TargetSize tile = targetSize(1024, 768, 2);
    const CompositionRequest request{path.string(),
                                     dir.path().string() + "/",
                                     {tile.width, heightWithCaptionRoom(tile.height, 13)},
                                     2,
                                     true,
                                     {13, 11}};
    const Composition composed = composeImage(request);
    ASSERT_TRUE(composed.ok()) << composed.error;
    const SaverFrame frame = composeSaverFrame(composed.canvas, request, {1024, 768});
    ASSERT_EQ(frame.picture.size(), QSize(1024, 768));
    for (const QPoint corner : {QPoint(0, 0), QPoint(512, 0), QPoint(0, 384), QPoint(512, 384)}) {
        EXPECT_TRUE(frame.picture.copy(QRect(corner, QSize(512, 384))) == composed.canvas)
            << corner.x() << "," << corner.y();
    }
}

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
    testing::Values(
        EmptyCase{"NoWidth", {0, 768}, {64, 48}, {60, 44}, 2, false, 13},
        EmptyCase{"NoHeight", {1024, 0}, {64, 48}, {64, 48}, 1, false, 13},
        EmptyCase{"NegativeWindow", {-5, -5}, {64, 48}, {64, 48}, 1, false, 13},
        EmptyCase{"NoCanvas", {1024, 768}, {0, 0}, {508, 380}, 2, false, 13},
        EmptyCase{"HugeTiledWindow", {30000, 30000}, {64, 48}, {14996, 14996}, 2, false, 13},
        EmptyCase{"JustAboveTheBound", {16385, 8192}, {64, 48}, {8188, 4092}, 2, false, 13},
        EmptyCase{"HugeWindowAndTarget",
                  {kMaxInt, kMaxInt},
                  {8, 8},
                  {kMaxInt, kMaxInt},
                  2,
                  true,
                  kMaxInt}),
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
