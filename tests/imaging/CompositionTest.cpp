#include "imaging/Composer.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "imaging/SaverFrame.h"
#include "tests/imaging/PictureFiles.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

/// The smallest rectangle holding every bright pixel of the rows [top, bottom); empty if none.
QRect brightArea(const QImage& image, int top, int bottom) {
    QRect area;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) > 128)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

class ComposerTest : public ::testing::Test {
protected:
    /// Stores a green picture below the image directory and composes it for a 1024 x 768 screen.
    Composition compose(const std::string& name, QSize size, int scaleFactor, bool caption) {
        const TargetSize tile = targetSize(1024, 768, scaleFactor);
        const int height = caption ? heightWithCaptionRoom(tile.height, 13) : tile.height;
        const auto path = dir.write(name, test::encode(test::solid(size, Qt::green), "png"));
        return composeImage({path.string(),
                             dir.path().string() + "/",
                             {tile.width, height},
                             scaleFactor,
                             caption,
                             {13, 11}});
    }

    muralto::test::TempDir dir;
};

TEST_F(ComposerTest, FitsAndPlacesThePictureOnABlackTile) {
    struct Case {
        QSize picture;
        int scaleFactor;
        QSize canvas;
        QRect placed;
    };
    for (const Case& c : {
             Case{{800, 600}, 1, {800, 600}, {0, 0, 800, 600}},  // never enlarged
             Case{{2048, 1024}, 2, {512, 384}, {2, 65, 508, 254}},
             Case{{99, 49}, 2, {512, 384}, {206, 168, 99, 49}},  // halves: 206.5 and 167.5
         }) {
        SCOPED_TRACE(std::to_string(c.picture.width()) + " at " + std::to_string(c.scaleFactor));
        const Composition result = compose("picture.png", c.picture, c.scaleFactor, false);
        ASSERT_TRUE(result.ok()) << result.error;
        QImage expected = test::solid(c.canvas, Qt::black);
        QPainter(&expected).fillRect(c.placed, Qt::green);
        EXPECT_TRUE(result.canvas == expected);
    }
}

TEST_F(ComposerTest, WritesTheRelativePathOnABlackStripBelowThePicture) {
    struct Case {
        std::string name;  // below the image directory: the caption
        QSize picture, canvas;
        int pictureBottom, stripTop, textTop;
    };
    for (const Case& c : {
             Case{"trips/to the sea/back/tall.png", {300, 1500}, {150, 768}, 747, 748, 752},
             Case{"caf\xe9.png", {40, 30}, {40, 50}, 29, 30, 34},  // not UTF-8
         }) {
        SCOPED_TRACE(c.name);
        const Composition result = compose(c.name, c.picture, 1, true);
        ASSERT_TRUE(result.ok()) << result.error;
        const QImage& canvas = result.canvas;
        ASSERT_EQ(canvas.size(), c.canvas);
        EXPECT_EQ(canvas.pixel(canvas.width() / 2, c.pictureBottom), qRgb(0, 255, 0));
        for (int x = 0; x < canvas.width(); ++x)
            ASSERT_EQ(canvas.pixel(x, c.stripTop), qRgb(0, 0, 0)) << x;
        const QRect text = brightArea(canvas, c.stripTop, canvas.height());
        ASSERT_FALSE(text.isEmpty()) << "no caption drawn";
        EXPECT_GE(text.top(), c.textTop);
        EXPECT_LT(text.bottom(), c.textTop + 13);
        EXPECT_NEAR(text.left(), 11, 3);
        EXPECT_TRUE(c.name.size() < 20 || text.right() >= canvas.width() - 4) << "cut or wrapped";
    }
}

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

CompositionRequest requestFor(QSize target, int scaleFactor, bool caption = false) {
    return {"", "", {target.width(), target.height()}, scaleFactor, caption, {13, 11}};
}

struct CentredCase {
    const char* name;
    QSize window, canvas;
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

// Halves of a pixel go to the even side: (1024 - 641) / 2 = 191.5, (1024 - 639) / 2 = 192.5.
INSTANTIATE_TEST_SUITE_P(
    Sizes, CentredFrameTest,
    testing::Values(
        CentredCase{"HalvesRoundUpToEven", {1024, 768}, {641, 481}, {192, 144}, {0, 0, 641, 481}},
        CentredCase{"HalvesRoundDownToEven", {1024, 768}, {639, 479}, {192, 144}, {0, 0, 639, 479}},
        CentredCase{"LargerIsCut", {200, 150}, {401, 301}, {0, 0}, {100, 76, 200, 150}}),
    muralto::test::byName);

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
    QImage expected = test::solid(c.window, Qt::black);
    QPainter painter(&expected);
    painter.drawImage(0, 0, canvas);
    for (int row = 0; row < c.grid.height(); ++row)
        for (int column = row == 0 ? 1 : 0; column < c.grid.width(); ++column)
            painter.drawImage(column * c.pitch.width(), row * c.pitch.height(), canvas, 0, 0,
                              c.pitch.width(), c.pitch.height());
    EXPECT_EQ(frame.position, QPoint(0, 0));
    EXPECT_TRUE(frame.picture == expected);
}

// T = 361 + 19.5 rounds to 380 while the caption made that canvas 386 tall: the pitch follows
// the request. Three columns of 341 leave one black column at x = 1023.
const TiledCase kGrids[] = {
    {"ThreeByThree", {1024, 768}, {337, 252}, 3, false, {341, 256}, {341, 256}, {3, 3}},
    {"CanvasTaller", {1024, 768}, {508, 361}, 2, true, {512, 386}, {512, 384}, {2, 2}},
    {"OnlyWholeTiles", {1100, 500}, {508, 361}, 2, true, {512, 386}, {512, 384}, {2, 1}},
};

INSTANTIATE_TEST_SUITE_P(Grids, TiledFrameTest, testing::ValuesIn(kGrids), muralto::test::byName);

TEST(SaverFrame, NoWindowOrAWindowAboveTheFrameBoundGivesAnEmptyFrame) {
    const QImage canvas = patterned({64, 48});
    EXPECT_TRUE(composeSaverFrame(canvas, requestFor({64, 48}, 1), {1024, 0}).isEmpty());
    EXPECT_TRUE(composeSaverFrame(canvas, requestFor({8188, 4092}, 2), {16385, 8192}).isEmpty());
}

}  // namespace
}  // namespace muralto::imaging
