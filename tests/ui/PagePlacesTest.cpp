// The image page's places in pixels: at 96 DPI as the twips give them, at 192 DPI twice those.
// Widths that come from a caption's measured text are left out: a font's text is not exactly
// twice as wide at twice the size.
#include <gtest/gtest.h>

#include "tests/ui/OptionsHarness.h"

namespace muralto::ui::test {
namespace {

constexpr int kText = -1;  ///< sized by its caption's text

struct Place {
    const char* name;
    int left, top, width, height;
};

/// The wallpaper tab of the window as it opens (the page 4860 x 4995 twips), at 96 DPI.
constexpr Place kPlaces96[] = {
    {"tbxPath", 10, 10, 304, 21},
    {"Dir1", 10, 37, 304, 126},
    {"Drive1", 10, 169, 304, 21},
    {"chkReScan", 10, 196, kText, 21},
    {"chkAddPath", 10, 221, kText, 21},
    {"chkStartupOnly", 10, 246, kText, 21},
    {"lblScaleFactor", 10, 276, kText, kText},
    {"tbxScaleFactor", kText, 273, 64, 21},
    {"tbxDelay", 244, 196, 70, 21},
    {"lblDelay", kText, 199, kText, kText},
    {"btnUpdate", kText, 302, kText, 21},
    {"btnSave", kText, 302, kText, 21},
};

class PagePlacesTest : public testing::TestWithParam<Place> {
protected:
    PagePlacesTest() { window.show(); }
    int scale() const { return window.form->logicalDpiY() / 96; }
    OptionsWindow window{settings::RunMode::Wallpaper};
};

TEST_P(PagePlacesTest, ControlStandsWhereItsTwipsSay) {
    const Place& p = GetParam();
    const auto* control = window.page().findChild<QWidget*>(p.name);
    ASSERT_TRUE(control);
    const int k = scale();
    const QRect r = control->geometry();
    EXPECT_EQ(r.top(), k * p.top);
    if (p.left != kText) {
        EXPECT_EQ(r.left(), k * p.left);
    }
    if (p.width != kText) {
        EXPECT_EQ(r.width(), k * p.width);
    }
    if (p.height != kText) {
        EXPECT_EQ(r.height(), k * p.height);
    }
}

INSTANTIATE_TEST_SUITE_P(Controls, PagePlacesTest, testing::ValuesIn(kPlaces96),
                         muralto::test::byName);

TEST(PageSize, ThePageFillsTheStripsClientArea) {
    OptionsWindow window(settings::RunMode::Wallpaper);
    window.show();
    const int k = window.form->logicalDpiY() / 96;
    // 4860 x 4995 twips as designed; the window grew from 4965 x 5520 to give the page that.
    EXPECT_EQ(window.page().size(), QSize(324, 333) * k);
    EXPECT_EQ(window.form->size(), QSize(347, 381) * k);
}

}  // namespace
}  // namespace muralto::ui::test
