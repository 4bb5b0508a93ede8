// The image page's places in pixels: at 96 DPI as the twips give them, at 192 DPI twice those.
// Widths that come from a caption's measured text are left out: a font's text is not exactly
// twice as wide at twice the size.
#include <gtest/gtest.h>

#include "tests/ui/OptionsHarness.h"

namespace muralto::ui::test {
namespace {

TEST(PagePlacesTest, TheControlsAndThePageScaleWithTheScreen) {
    OptionsWindow window(settings::RunMode::Wallpaper);
    window.show();
    const int k = window.form->logicalDpiY() / 96;
    // 4860 x 4995 twips as designed; the window grew from 4965 x 5520 to give the page that.
    EXPECT_EQ(window.page().size(), QSize(324, 333) * k);
    EXPECT_EQ(window.form->size(), QSize(347, 381) * k);
    struct Place {
        const char* name;
        QRect at96;  ///< left, top, width and height at 96 DPI; 0 when sized by a caption
    };
    for (const Place& p :
         {Place{"tbxPath", {10, 10, 304, 21}}, Place{"chkReScan", {10, 196, 0, 21}},
          Place{"tbxDelay", {244, 196, 70, 21}}, Place{"btnSave", {0, 302, 0, 21}}}) {
        const auto* control = window.page().findChild<QWidget*>(p.name);
        ASSERT_TRUE(control) << p.name;
        const QRect r = control->geometry();
        const QRect want = p.at96;
        EXPECT_EQ(r.top(), k * want.top()) << p.name;
        EXPECT_EQ(r.height(), k * want.height()) << p.name;
        if (want.width() > 0) {
            EXPECT_EQ(r.left(), k * want.left()) << p.name;
            EXPECT_EQ(r.width(), k * want.width()) << p.name;
        }
    }
}

}  // namespace
}  // namespace muralto::ui::test
