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

}  // namespace
}  // namespace muralto::imaging
