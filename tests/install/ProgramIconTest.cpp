// The icon the program shows on its windows and in the tray comes from pictures compiled into
// it, one per size that icon themes hold, so that it looks the same wherever it is run from.

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "app/TrayIcon.h"

namespace muralto::app {
namespace {

// Each size has its own picture, drawn for it rather than scaled from another; around the
// drawing the picture stays transparent, so the icon sits on any panel's colour.
TEST(ProgramIcon, HasAPictureOfEachThemeSizeOnATransparentGround) {
    const QIcon icon = programIcon();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage picture = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(picture.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0) << "corner of " << size;
        EXPECT_EQ(qAlpha(picture.pixel(size / 2, size / 2)), 255) << "middle of " << size;
    }
}

}  // namespace
}  // namespace muralto::app
