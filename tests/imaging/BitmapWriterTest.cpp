#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "imaging/BitmapWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using muralto::test::readFile;
using muralto::test::TempDir;

// Rows are packed several pixels at a time: every width, whatever its remainder, keeps each
// pixel's blue, green and red in place.
TEST(WriteBitmap, PacksEveryPixelOfRowsOfAnyWidth) {
    TempDir dir;
    for (int width = 1; width <= 9; ++width) {
        QImage image(width, 2, QImage::Format_RGB32);
        std::string expected;
        for (int y = 1; y >= 0; --y) {  // bottom-up
            for (int x = 0; x < width; ++x) {
                const int n = 3 * (y * width + x);
                image.setPixel(x, y, qRgb(n + 1, n + 2, n + 3));
                expected += {char(n + 3), char(n + 2), char(n + 1)};
            }
            expected.append(std::size_t((4 - width * 3 % 4) % 4), '\0');
        }
        const std::filesystem::path path = dir.path() / "wide.bmp";
        ASSERT_EQ(writeBitmap(image, path.string()), "");
        EXPECT_EQ(readFile(path).substr(54), expected) << width;
    }
}

// The new bitmap takes the old one's place, or a place of its own, and leaves no temporary
// file; a folder in its place stays as it is and the write fails.
TEST(WriteBitmap, TakesThePlaceOfAnOldBitmapButNotOfAFolder) {
    const QImage image(8, 2, QImage::Format_RGB32);
    for (const std::string before : {"none", "bitmap", "folder"}) {
        TempDir dir;
        const std::filesystem::path path = dir.path() / "jo.bmp";
        if (before == "bitmap")
            dir.write("jo.bmp", "old bitmap");
        if (before == "folder")
            std::filesystem::create_directory(path);
        const std::string error = writeBitmap(image, path.string());
        EXPECT_EQ(error.empty(), before != "folder") << before << ": " << error;
        EXPECT_EQ(std::filesystem::is_directory(path), before == "folder") << before;
        if (before != "folder") {
            EXPECT_EQ(readFile(path).substr(0, 2), "BM") << before;
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                std::filesystem::directory_iterator()),
                  1)
            << before << ": a temporary file was left behind";
    }
}

}  // namespace
}  // namespace muralto::imaging
