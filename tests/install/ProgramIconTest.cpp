// The icon the program shows on its windows and in the tray comes from pictures compiled into
// it, one per size that icon themes hold, so that it looks the same wherever it is run from.

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "app/TrayIcon.h"
#include "tests/support/TestSupport.h"

namespace muralto::app {
namespace {

struct IconSizeCase {
    const char* name;
    int size;
};

class ProgramIconSize : public testing::TestWithParam<IconSizeCase> {};

// Each size has its own picture, drawn for it rather than scaled from another; around the
// drawing the picture stays transparent, so the icon sits on any panel's colour.
TEST_P(ProgramIconSize, HasItsOwnPictureOnATransparentGround) {
    const int size = GetParam().size;
    const QIcon icon = programIcon();
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
    const QImage picture = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(picture.size(), QSize(size, size));
    EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << "corner";
    EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255) << "middle";
}

INSTANTIATE_TEST_SUITE_P(ThemeSizes, ProgramIconSize,
                         testing::Values(IconSizeCase{"px16", 16}, IconSizeCase{"px22", 22},
                                         IconSizeCase{"px24", 24}, IconSizeCase{"px32", 32},
                                         IconSizeCase{"px48", 48}, IconSizeCase{"px64", 64},
                                         IconSizeCase{"px128", 128}, IconSizeCase{"px256", 256}),
                         test::byName);

}  // namespace
}  // namespace muralto::app
