// The options window's size in pixels: at 96 DPI as its twips give it, at 192 DPI twice that.
// Where each control stands in twips is the options layout's own test.
#include <gtest/gtest.h>

#include "tests/ui/OptionsHarness.h"

namespace muralto::ui::test {
namespace {

TEST(PagePlacesTest, TheWindowAndItsPageScaleWithTheScreen) {
    OptionsWindow window(settings::RunMode::Wallpaper);
    window.show();
    const int k = window.form->logicalDpiY() / 96;
    // 4860 x 4995 twips as designed; the window grew from 4965 x 5520 to give the page that.
    EXPECT_EQ(window.page().size(), QSize(324, 333) * k);
    EXPECT_EQ(window.form->size(), QSize(347, 381) * k);
    const auto* delay = window.page().findChild<QWidget*>("tbxDelay");
    ASSERT_TRUE(delay);
    EXPECT_EQ(delay->geometry(), QRect(QPoint(244, 196) * k, QSize(70, 21) * k));
}

}  // namespace
}  // namespace muralto::ui::test
