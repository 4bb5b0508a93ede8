#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "options/ImagePageLayout.h"

namespace muralto::options {
namespace {

std::int32_t right(const TwipRect& r) {
    return r.left + r.width;
}
std::int32_t bottom(const TwipRect& r) {
    return r.top + r.height;
}

// The designed size is pinned in pixels by the window's tests; a larger page shows what follows
// the page's size and the controls' kept sizes.
TEST(LayoutImagePage, StandsInAColumnWithTheDelayAndTheButtonsAtTheRight) {
    ImagePageControls designed = designedImagePage();
    designed.btnSave.width = 1500;  // kept sizes come from the controls
    designed.Dir1.height = 1000;
    const ImagePageControls c = LayoutImagePage(designed, 9000, 7000, 1);
    const std::array column = {&c.tbxPath,    &c.Dir1,           &c.Drive1,        &c.chkReScan,
                               &c.chkAddPath, &c.chkStartupOnly, &c.lblScaleFactor};
    std::vector<std::int32_t> gaps;
    for (std::size_t i = 1; i < column.size(); ++i)
        gaps.push_back(column[i]->top - bottom(*column[i - 1]));
    EXPECT_EQ(gaps, (std::vector<std::int32_t>{90, 90, 90, 60, 60, 135}));
    EXPECT_EQ(c.Dir1, (TwipRect{150, c.Dir1.top, 8700, 1000}));
    EXPECT_EQ(c.tbxScaleFactor.left, right(c.lblScaleFactor) + 60);
    EXPECT_EQ(right(c.tbxDelay), 8850);
    EXPECT_EQ(c.tbxDelay.top, c.chkReScan.top);
    EXPECT_EQ(right(c.lblDelay), c.tbxDelay.left - 60);
    EXPECT_EQ(c.btnSave, (TwipRect{8850 - 1500, 6850 - c.btnSave.height, 1500, c.btnSave.height}));
    EXPECT_EQ(right(c.btnUpdate), c.btnSave.left - 60);
}

TEST(LayoutImagePage, TheSaverTabPutsTheScaleRowUnderAddPath) {
    const ImagePageControls c = LayoutImagePage(designedImagePage(), 4860, 4995, 2);
    EXPECT_EQ(c.lblScaleFactor.top, bottom(c.chkAddPath) + 135);
}

TEST(LayoutImagePage, ATinyPageKeepsSizesAtZero) {
    EXPECT_EQ(LayoutImagePage(designedImagePage(), 299, 10, 1).tbxPath.width, 0);
}

}  // namespace
}  // namespace muralto::options
