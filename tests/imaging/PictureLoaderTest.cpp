#include "PictureLoader.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <initializer_list>

#include "PictureFiles.h"
#include "TestSupport.h"

namespace muralto::imaging {
namespace {

using test::encode;
using test::near;
using test::solid;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(char(v));
    return out;
}

/// A JPEG of a picture whose left half is red and right half blue, with an EXIF segment
/// holding only the orientation tag right after its SOI.
std::string halvesWithOrientation(QSize size, int orientation) {
    QImage image = solid(size, Qt::blue);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    const std::string jpeg = encode(image, "jpeg");
    const std::string exif = bytes(
        {0xFF, 0xE1, 0x00, 34,   'E', 'x', 'i', 'f', 0, 0,  // APP1, length, identifier
         'M',  'M',  0,    0x2A, 0,   0,   0,   8,          // big-endian TIFF, IFD at 8
         0,    1,                                           // one entry
         0x01, 0x12, 0,    3,    0,   0,   0,   1,   0, orientation, 0, 0,  // Orientation, SHORT, 1
         0,    0,    0,    0});                                             // no next IFD
    return jpeg.substr(0, 2) + exif + jpeg.substr(2);
}

/// A progressive JPEG of 252 bytes whose frame declares 30000 x 30000 pixels.
std::string hostileProgressiveJpeg() {
    std::string jpeg = bytes({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00});
    jpeg.append(64, char(1));
    jpeg += bytes({0xFF, 0xC2, 0x00, 0x11, 0x08, 0x75, 0x30, 0x75, 0x30, 0x03,  // SOF2
                   0x01, 0x22, 0x00, 0x02, 0x11, 0x00, 0x03, 0x11, 0x00});
    jpeg += bytes({0xFF, 0xC4, 0x00, 0x14, 0x00, 1, 0, 0, 0, 0, 0, 0, 0,  // DHT, one DC code
                   0,    0,    0,    0,    0,    0, 0, 0, 0});
    jpeg += bytes({0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00,  // SOS
                   0x00, 0x00, 0x00});
    jpeg.append(250 - jpeg.size(), '\0');
    return jpeg + bytes({0xFF, 0xD9});
}

/// A GIF whose screen and only frame declare 65535 x 65535 pixels.
std::string hostileGif() {
    return "GIF89a" + bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0,    0,  // screen, 2 colours
                             0,    0,    0,    0xFF, 0xFF, 0xFF,     // colour table
                             0x2C, 0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0,  // frame
                             2,    2,    0x4C, 0x01, 0,    0x3B});
}

class PictureLoaderTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& content) {
        return dir.write(name, content).string();
    }

    muralto::test::TempDir dir;
};

TEST_F(PictureLoaderTest, FitsEachFormatToExactlyTheComputedSizeUnderNamesThatAreNotUtf8) {
    struct Case {
        const char* format;
        bool progressive;
        QSize stored, expected;
        TargetSize target;
    };
    const TargetSize screen{1024, 768};
    for (const Case& c : {Case{"jpeg", false, {2000, 1000}, {1024, 512}, screen},
                          Case{"jpeg", false, {3000, 2000}, {508, 339}, {508, 380}},
                          Case{"jpeg", true, {300, 200}, {150, 100}, {150, 150}},
                          Case{"png", false, {2048, 1024}, {1024, 512}, screen},
                          Case{"bmp", false, {1000, 1536}, {500, 768}, screen}}) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.stored.width()));
        const std::string path = write(std::string("caf\xe9 \xff.") + c.format,
                                       encode(solid(c.stored, Qt::green), c.format, c.progressive));
        const LoadedPicture loaded = loadPicture(path, c.target);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        EXPECT_EQ(loaded.image.size(), c.expected);
        EXPECT_EQ(loaded.image.format(), QImage::Format_RGB32);
        const QSize s = loaded.image.size();
        for (QPoint p : {QPoint(0, 0), QPoint(s.width() - 1, s.height() - 1)})
            EXPECT_TRUE(near(loaded.image.pixel(p), Qt::green)) << p.x() << "," << p.y();
    }
}

TEST_F(PictureLoaderTest, TurnsPicturesUprightByTheirExifOrientationBeforeFitting) {
    struct Case {
        int orientation;
        QSize stored, upright;
        TargetSize target;
        QPoint red, blue;  // points inside the red and the blue half, in upright coordinates
    };
    for (const Case& c : {Case{3, {40, 20}, {40, 20}, {1024, 768}, {35, 10}, {5, 10}},
                          Case{6, {40, 20}, {20, 40}, {1024, 768}, {10, 5}, {10, 35}},
                          Case{8, {40, 20}, {20, 40}, {1024, 768}, {10, 35}, {10, 5}},
                          // Fitting the stored size instead would keep it unscaled.
                          Case{6, {800, 400}, {200, 400}, {1024, 400}, {100, 50}, {100, 350}}}) {
        SCOPED_TRACE(c.orientation);
        const std::string path =
            write("turned.jpg", halvesWithOrientation(c.stored, c.orientation));
        const LoadedPicture loaded = loadPicture(path, c.target);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        ASSERT_EQ(loaded.image.size(), c.upright);
        EXPECT_TRUE(near(loaded.image.pixel(c.red), Qt::red, 40));
        EXPECT_TRUE(near(loaded.image.pixel(c.blue), Qt::blue, 40));
    }
}

TEST_F(PictureLoaderTest, RefusesHostileAndBrokenPicturesWithAMessage) {
    const std::string good = encode(solid({64, 64}, Qt::red), "jpeg");
    const std::string gone = (dir.path() / "gone.jpg").string();
    const std::string folder = dir.write("folder.jpg/inner", "x").parent_path().string();
    struct Case {
        std::string path, message;  // the message names the path, or the declared size
    };
    for (const Case& c : {
             Case{write("bomb.jpg", hostileProgressiveJpeg()), "30000 x 30000"},
             Case{write("bomb.gif", hostileGif()), "65535 x 65535"},
             Case{gone, gone},
             Case{folder, folder},
             Case{write("empty.jpg", ""), "empty.jpg"},
             Case{write("figure.eps", "%!PS-Adobe-3.0 EPSF-3.0\n"), "figure.eps"},
             Case{write("damaged.jpg", good.substr(0, 2) + std::string(300, 'x')), "damaged.jpg"},
         }) {
        const LoadedPicture loaded = loadPicture(c.path, {1024, 768});
        EXPECT_FALSE(loaded.ok()) << c.path;
        EXPECT_TRUE(loaded.image.isNull()) << c.path;
        EXPECT_NE(loaded.error.find(c.message), std::string::npos) << loaded.error;
    }
}

TEST_F(PictureLoaderTest, TransparentAreasBecomeBlack) {
    QImage picture(20, 20, QImage::Format_ARGB32);
    picture.fill(QColor(255, 255, 255, 0));  // white, but wholly transparent
    picture.setPixel(10, 10, qRgb(255, 255, 255));
    const LoadedPicture loaded = loadPicture(write("clear.png", encode(picture, "png")), {64, 64});
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_FALSE(loaded.image.hasAlphaChannel());
    EXPECT_EQ(loaded.image.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(loaded.image.pixel(10, 10), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace muralto::imaging
