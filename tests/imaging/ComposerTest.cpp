#include "imaging/Composer.h"

#include <gtest/gtest.h>

#include <QPainter>

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
             Case{{800, 600}, 1, {800, 600}, {0, 0, 800, 600}},      // never enlarged
             Case{{2048, 1024}, 0, {1024, 512}, {0, 0, 1024, 512}},  // 0 counts as 1
             Case{{2048, 1024}, 2, {512, 384}, {2, 65, 508, 254}},
             Case{{99, 49}, 2, {512, 384}, {206, 168, 99, 49}},  // halves: 206.5 and 167.5
             Case{{100000, 2}, 1, {1024, 1}, {0, 0, 1024, 1}},   // a side never vanishes
         }) {
        SCOPED_TRACE(std::to_string(c.picture.width()) + " at " + std::to_string(c.scaleFactor));
        const Composition result = compose("picture.png", c.picture, c.scaleFactor, false);
        ASSERT_TRUE(result.ok()) << result.error;
        QImage expected(c.canvas, QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter(&expected).fillRect(c.placed, Qt::green);
        EXPECT_TRUE(result.canvas == expected);
    }
}

TEST_F(ComposerTest, WritesTheRelativePathOnABlackStripBelowThePicture) {
    struct Case {
        std::string name;  // below the image directory: the caption
        QSize picture;
        int scaleFactor;
        QSize canvas;
        int pictureBottom, stripTop, textTop;
    };
    for (const Case& c : {
             Case{"trips/to the sea/back/tall.png", {300, 1500}, 1, {150, 768}, 747, 748, 752},
             Case{"wide.png", {2048, 1024}, 2, {512, 384}, 308, 364, 368},  // a tile
             Case{"caf\xe9.png", {40, 30}, 1, {40, 50}, 29, 30, 34},        // not UTF-8
         }) {
        SCOPED_TRACE(c.name);
        const Composition result = compose(c.name, c.picture, c.scaleFactor, true);
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
        if (c.name.size() > 20) {
            EXPECT_GE(text.right(), canvas.width() - 4)
                << "a long caption is neither cut nor wrapped";
        }
    }
}

}  // namespace
}  // namespace muralto::imaging
