#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WallpaperX11.h"

namespace muralto::platform {
namespace {

/// Three pixels: red, green and a colour whose low bits show up in narrow channels.
QImage threePixels() {
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0xFF, 0x00, 0x00));
    image.setPixel(1, 0, qRgb(0x00, 0xFF, 0x00));
    image.setPixel(2, 0, qRgb(0x12, 0x34, 0x56));
    return image;
}

struct PackCase {
    const char* label;
    XPixelFormat format;
    std::vector<std::uint8_t> bytes;
};

TEST(PackPixels, LaysOutPixelsAsTheServerExpects) {
    const PackCase cases[] = {
        {"depth 24 in 32 bits, LSB first (BGRX)",
         {24, 32, 32, false, 0xFF0000, 0xFF00, 0xFF},
         {0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x56, 0x34, 0x12, 0x00}},
        {"depth 24 in 32 bits, MSB first (XRGB)",
         {24, 32, 32, true, 0xFF0000, 0xFF00, 0xFF},
         {0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x12, 0x34, 0x56}},
        {"depth 32 sets the unused alpha bits",
         {32, 32, 32, false, 0xFF0000, 0xFF00, 0xFF},
         {0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x56, 0x34, 0x12, 0xFF}},
        {"depth 24 with blue high, LSB first",
         {24, 32, 32, false, 0xFF, 0xFF00, 0xFF0000},
         {0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x12, 0x34, 0x56, 0x00}},
        {"depth 24 in 24 bits, rows padded to 32 bits",
         {24, 24, 32, false, 0xFF0000, 0xFF00, 0xFF},
         {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00}},
        {"depth 16 (5-6-5), LSB first, padded",
         {16, 16, 32, false, 0xF800, 0x07E0, 0x001F},
         {0x00, 0xF8, 0xE0, 0x07, 0xAA, 0x11, 0x00, 0x00}},
        {"depth 16 (5-6-5), MSB first, padded",
         {16, 16, 32, true, 0xF800, 0x07E0, 0x001F},
         {0xF8, 0x00, 0x07, 0xE0, 0x11, 0xAA, 0x00, 0x00}},
        {"depth 15 (5-5-5), LSB first",
         {15, 16, 16, false, 0x7C00, 0x03E0, 0x001F},
         {0x00, 0x7C, 0xE0, 0x03, 0xCA, 0x08}},
    };
    for (const auto& c : cases) {
        std::size_t stride = 0;
        EXPECT_EQ(packPixels(threePixels(), c.format, &stride), c.bytes) << c.label;
        EXPECT_EQ(stride, c.bytes.size()) << c.label;
    }
}

TEST(PackPixels, UnsupportedPixelSizeGivesNothing) {
    std::size_t stride = 99;
    EXPECT_TRUE(packPixels(threePixels(), {8, 8, 32, false, 0xE0, 0x1C, 0x03}, &stride).empty());
    EXPECT_EQ(stride, 0u);
}

QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(10 + x, 100 + y, 200));
    }
    return image;
}

TEST(ComposeScreen, CentresOnBlack) {
    const QImage bitmap = pattern(3, 2);
    const QImage screen = composeScreen(bitmap, 8, 5, Placement::Centred);
    ASSERT_EQ(screen.size(), QSize(8, 5));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            const QRgb expected = inside ? bitmap.pixel(x - 2, y - 1) : qRgb(0, 0, 0);
            EXPECT_EQ(screen.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(ComposeScreen, CentresALargerBitmapByCroppingEvenly) {
    const QImage bitmap = pattern(5, 5);
    const QImage screen = composeScreen(bitmap, 3, 3, Placement::Centred);
    EXPECT_EQ(screen.pixel(0, 0), bitmap.pixel(1, 1));
    EXPECT_EQ(screen.pixel(2, 2), bitmap.pixel(3, 3));
}

TEST(ComposeScreen, TilesFromTheTopLeftCorner) {
    const QImage bitmap = pattern(3, 2);
    const QImage screen = composeScreen(bitmap, 7, 5, Placement::Tiled);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(screen.pixel(x, y), bitmap.pixel(x % 3, y % 2)) << x << "," << y;
        }
    }
}

TEST(X11WallpaperSetter, BadInputGivesAClearError) {
    test::TempDir dir;
    const auto garbage = dir.write("garbage.bmp", "this is no bitmap").string();
    const auto good = (dir.path() / "good.bmp").string();
    ASSERT_TRUE(pattern(4, 4).save(QString::fromStdString(good), "BMP"));

    struct Case {
        std::string bitmap;
        std::string display;
        std::string error;
    };
    const Case cases[] = {
        {(dir.path() / "missing.bmp").string(), "", "cannot read the bitmap "},
        {garbage, "", "cannot read the bitmap " + garbage},
        {good, "no-such-display", "cannot open the X display no-such-display"},
    };
    for (const auto& c : cases) {
        X11WallpaperSetter setter(c.display);
        std::string error;
        EXPECT_FALSE(setter.setWallpaper(c.bitmap, Placement::Centred, &error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }
}

}  // namespace
}  // namespace muralto::platform
