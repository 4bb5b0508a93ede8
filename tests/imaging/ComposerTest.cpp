#include "Composer.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

#include <climits>

#include "PictureFiles.h"
#include "TestSupport.h"

namespace muralto::imaging {
namespace {

using test::encode;
using test::near;
using test::solid;

bool bright(QRgb pixel) {
    return qRed(pixel) > 128 && qGreen(pixel) > 128 && qBlue(pixel) > 128;
}

/// The smallest rectangle holding every bright pixel of the rows [top, bottom); empty if none.
QRect brightArea(const QImage& image, int top, int bottom) {
    QRect area;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (bright(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

class ComposerTest : public ::testing::Test {
protected:
    /// Writes a red picture of the given size below the image directory; returns its path.
    std::string picture(const std::string& name, QSize size, QColor colour = Qt::red) {
        return dir.write(name, encode(solid(size, colour), "png")).string();
    }

    CompositionRequest request(const std::string& path, TargetSize target, int scaleFactor = 1) {
        CompositionRequest r;
        r.imagePath = path;
        r.imageDirectory = dir.path().string() + "/";
        r.target = target;
        r.scaleFactor = scaleFactor;
        r.chars = {13, 11};
        return r;
    }

    muralto::test::TempDir dir;
};

TEST_F(ComposerTest, FitsAndPlacesThePictureOnItsCanvas) {
    struct Case {
        QSize picture;
        int scaleFactor;
        QSize canvas;
        QRect placed;
    };
    for (const Case& c : {
             Case{{800, 600}, 1, {800, 600}, {0, 0, 800, 600}},
             Case{{2048, 1024}, 1, {1024, 512}, {0, 0, 1024, 512}},
             Case{{1000, 1536}, 1, {500, 768}, {0, 0, 500, 768}},
             Case{{1024, 768}, 1, {1024, 768}, {0, 0, 1024, 768}},
             Case{{2048, 1024}, 2, {512, 384}, {2, 65, 508, 254}},
             Case{{100, 50}, 2, {512, 384}, {206, 167, 100, 50}},
             Case{{99, 49}, 2, {512, 384}, {206, 168, 99, 49}},  // halves: 206.5 and 167.5
             Case{{1024, 768}, 3, {341, 256}, {2, 2, 336, 252}},
         }) {
        SCOPED_TRACE(std::to_string(c.picture.width()) + "x" + std::to_string(c.picture.height()) +
                     " at " + std::to_string(c.scaleFactor));
        const std::string path = picture("picture.png", c.picture);
        const Composition result =
            composeImage(request(path, targetSize(1024, 768, c.scaleFactor), c.scaleFactor));
        ASSERT_TRUE(result.ok()) << result.error;
        ASSERT_EQ(result.canvas.size(), c.canvas);
        const QRect& r = c.placed;
        for (QPoint inside : {r.topLeft(), r.bottomRight(), r.center()}) {
            EXPECT_TRUE(near(result.canvas.pixel(inside), Qt::red))
                << inside.x() << "," << inside.y();
        }
        for (QPoint outside : {r.topLeft() - QPoint(1, 0), r.topLeft() - QPoint(0, 1),
                               r.bottomRight() + QPoint(1, 0), r.bottomRight() + QPoint(0, 1)}) {
            if (!result.canvas.rect().contains(outside))
                continue;
            EXPECT_EQ(result.canvas.pixel(outside), qRgb(0, 0, 0))
                << outside.x() << "," << outside.y();
        }
    }
}

TEST_F(ComposerTest, WritesTheRelativePathOnABlackStripBelowThePicture) {
    const std::string path =
        picture("trips/to the sea/and back home again/tall.png", {500, 1500}, Qt::green);
    CompositionRequest r = request(path, {1024, heightWithCaptionRoom(768, 13)});
    r.addCaption = true;
    const Composition result = composeImage(r);
    ASSERT_TRUE(result.ok()) << result.error;
    const QImage& canvas = result.canvas;
    // The picture fits height 748; 748 + 20.5 rows give a canvas of 768 rows.
    ASSERT_EQ(canvas.size(), QSize(249, 768));
    EXPECT_TRUE(near(canvas.pixel(124, 0), Qt::green));
    EXPECT_TRUE(near(canvas.pixel(124, 747), Qt::green));
    for (int x = 0; x < canvas.width(); ++x) {
        ASSERT_EQ(canvas.pixel(x, 748), qRgb(0, 0, 0)) << x;  // the strip starts below it
    }
    // The text's line runs from row 752 (768 - 16.25) for 13 rows, from column 11 on.
    const QRect text = brightArea(canvas, 748, 768);
    ASSERT_FALSE(text.isEmpty()) << "no caption drawn";
    EXPECT_GE(text.top(), 752);
    EXPECT_LT(text.bottom(), 752 + 13);
    EXPECT_GE(text.left(), 10);
    EXPECT_LE(text.left(), 14);
    EXPECT_GE(text.right(), canvas.width() - 4) << "a long caption runs to the edge";
}

TEST_F(ComposerTest, CaptionedTileKeepsTheTilePitch) {
    const TargetSize tile = targetSize(1024, 768, 2);
    const std::string path = picture("wide.png", {2048, 1024});
    CompositionRequest r = request(path, {tile.width, heightWithCaptionRoom(tile.height, 13)}, 2);
    r.addCaption = true;
    const Composition result = composeImage(r);
    ASSERT_TRUE(result.ok()) << result.error;
    // 508 x 360 plus the margins is 512 x 364; the strip makes it 384.5, kept at 384.
    ASSERT_EQ(result.canvas.size(), QSize(512, 384));
    EXPECT_TRUE(near(result.canvas.pixel(256, 55), Qt::red));  // (360 - 254) / 2 + 2
    EXPECT_EQ(result.canvas.pixel(256, 54), qRgb(0, 0, 0));
    EXPECT_FALSE(brightArea(result.canvas, 364, 384).isEmpty());
}

TEST_F(ComposerTest, CaptionsNamesThatAreNotUtf8) {
    const std::string path = picture("caf\xe9.png", {40, 30}, Qt::blue);
    CompositionRequest r = request(path, {1024, 748});
    r.addCaption = true;
    const Composition result = composeImage(r);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.canvas.size(), QSize(40, 50));  // 30 + 20.5 = 50.5, kept at 50
    EXPECT_FALSE(brightArea(result.canvas, 30, 50).isEmpty());
}

TEST_F(ComposerTest, FailsWithoutCanvasWhenThereIsNothingToDraw) {
    struct Case {
        std::string path;
        TargetSize target;
    };
    const std::string good = picture("good.png", {40, 30});
    for (const Case& c :
         {Case{(dir.path() / "gone.jpg").string(), {1024, 768}},
          Case{dir.write("figure.eps", "%!PS-Adobe-3.0 EPSF\n").string(), {1024, 768}},
          Case{good, {0, 768}}, Case{good, {1024, -3}}}) {
        CompositionRequest r = request(c.path, c.target);
        r.addCaption = true;
        const Composition result = composeImage(r);
        EXPECT_FALSE(result.ok()) << c.path;
        EXPECT_TRUE(result.canvas.isNull());
    }
}

TEST(CharMetrics, MeasureTheLetterWInPixels) {
    const CharMetrics normal = measureCharMetrics(canvasFont());
    EXPECT_GT(normal.glCharHeight, 8);
    EXPECT_GT(normal.glCharWidth, 5);
    QFont large = canvasFont();
    large.setPixelSize(22);
    const CharMetrics doubled = measureCharMetrics(large);
    EXPECT_NEAR(doubled.glCharHeight, 2 * normal.glCharHeight, 2);
    EXPECT_NEAR(doubled.glCharWidth, 2 * normal.glCharWidth, 2);
}

}  // namespace
}  // namespace muralto::imaging

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
