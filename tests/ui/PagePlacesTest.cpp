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
    // A place given by twips, one sized by its caption, one right-aligned, one under the others.
    for (const auto& [name, at96] : {std::pair{"tbxPath", QRect(10, 10, 304, 21)},
                                     {"chkReScan", QRect(0, 196, 0, 21)},
                                     {"tbxDelay", QRect(244, 196, 70, 21)},
                                     {"btnSave", QRect(0, 302, 0, 21)}}) {
        const auto* control = window.page().findChild<QWidget*>(name);
        ASSERT_TRUE(control) << name;
        const QRect r = control->geometry();
        EXPECT_EQ(
            QRect(at96.width() ? r.left() : 0, r.top(), at96.width() ? r.width() : 0, r.height()),
            QRect(at96.topLeft() * k, at96.size() * k))
            << name;
    }
}

}  // namespace
}  // namespace muralto::ui::test
