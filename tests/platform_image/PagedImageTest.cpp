#include <gtest/gtest.h>

#include <cstdint>

#include "platform/PageBlocks.h"
#include "platform/image/PagedImage.h"

namespace muralto::platform {
namespace {

TEST(AllocatePages, GivesZeroedWritableBlocksOfHugePagesOrNone) {
    const std::size_t huge = std::size_t(2) << 20;
    for (const std::size_t bytes : {std::size_t(1), huge - 1, huge, 3 * huge + 5}) {
        const PageBlock block = allocatePages(bytes);
        ASSERT_NE(block.data, nullptr) << bytes;
        EXPECT_GE(block.size, bytes);
        EXPECT_EQ(block.size % huge, 0u);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data) % huge, 0u);
        auto* bytesIn = static_cast<unsigned char*>(block.data);
        EXPECT_EQ(bytesIn[0] | bytesIn[bytes - 1], 0) << bytes;
        bytesIn[bytes - 1] = 7;
        freePages(block);
    }
    EXPECT_EQ(allocatePages(0).data, nullptr);
    EXPECT_EQ(allocatePages(SIZE_MAX).data, nullptr);
    freePages({});  // a null block is left alone
}

// Large images live in pages of their own, small ones on the heap; both behave as any image,
// and a paged one's pixels stay valid as long as any copy of it does.
TEST(PagedImage, IsAnOrdinaryImageThatOutlivesItsFirstOwner) {
    const struct {
        QSize size;
        QImage::Format format;
    } cases[] = {{{3, 2}, QImage::Format_RGB32},
                 {{1891, 1080}, QImage::Format_RGB32},
                 {{1001, 700}, QImage::Format_RGB888}};
    for (const auto& c : cases) {
        QImage copy;
        {
            QImage image = pagedImage(c.size, c.format);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), c.size);
            EXPECT_EQ(image.format(), c.format);
            EXPECT_EQ(image.bytesPerLine(), QImage(c.size, c.format).bytesPerLine());
            image.fill(Qt::red);
            image.setPixel(c.size.width() - 1, c.size.height() - 1, qRgb(1, 2, 3));
            copy = image;
        }
        EXPECT_EQ(copy.pixel(0, 0), qRgb(255, 0, 0));
        EXPECT_EQ(copy.pixel(c.size.width() - 1, c.size.height() - 1), qRgb(1, 2, 3));
        QImage detached = copy;
        detached.setPixel(0, 0, qRgb(0, 0, 255));
        EXPECT_EQ(copy.pixel(0, 0), qRgb(255, 0, 0));
    }
    EXPECT_TRUE(pagedImage({0, 5}, QImage::Format_RGB32).isNull());
}

}  // namespace
}  // namespace muralto::platform
