// The image page's layout in twips: one column at the margin, the delay box on the right, the
// buttons at the bottom right.
#include <gtest/gtest.h>

#include <functional>

#include "options/ImagePageLayout.h"
#include "tests/support/TestSupport.h"

namespace muralto::options {
namespace {

struct LayoutCase {
    const char* name;
    std::int32_t tab;
    std::int32_t width;
    std::int32_t height;
    std::function<void(ImagePageControls&)> adjust;    ///< sizes the captions left behind
    std::function<void(ImagePageControls&)> expected;  ///< changes to the reference result
};

/// The result for the designed sizes on a 4860 x 4995 page, wallpaper tab.
ImagePageControls reference() {
    ImagePageControls c;
    c.tbxPath = {150, 150, 4560, 315};
    c.Dir1 = {150, 555, 4560, 1890};
    c.Drive1 = {150, 2535, 4560, 315};
    c.chkReScan = {150, 2940, 1350, 315};
    c.chkAddPath = {150, 3315, 1725, 315};
    c.chkStartupOnly = {150, 3690, 2010, 315};
    c.lblScaleFactor = {150, 4140, 1290, 195};
    c.tbxScaleFactor = {1500, 4095, 960, 315};
    c.tbxDelay = {3660, 2940, 1050, 315};
    c.lblDelay = {2850, 2985, 750, 195};
    c.btnSave = {3585, 4530, 1125, 315};
    c.btnUpdate = {2400, 4530, 1125, 315};
    return c;
}

void none(ImagePageControls&) {}

class LayoutImagePageTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutImagePageTest, PlacesEveryControl) {
    const LayoutCase& row = GetParam();
    ImagePageControls in = designedImagePage();
    row.adjust(in);
    ImagePageControls expected = reference();
    row.expected(expected);
    EXPECT_EQ(LayoutImagePage(in, row.width, row.height, row.tab), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LayoutImagePageTest,
    testing::Values(LayoutCase{"WallpaperTabAsDesigned", 1, 4860, 4995, none, none},
                    LayoutCase{"SaverTabPutsTheScaleRowUnderAddPath", 2, 4860, 4995, none,
                               [](ImagePageControls& c) {
                                   c.lblScaleFactor.top = 3765;
                                   c.tbxScaleFactor.top = 3720;
                               }},
                    LayoutCase{"KeptSizesComeFromTheControls", 1, 4860, 4995,
                               [](ImagePageControls& c) {
                                   c.chkReScan.width = 2000;
                                   c.lblScaleFactor = {0, 0, 900, 240};
                                   c.tbxScaleFactor.width = 700;
                                   c.lblDelay.width = 1000;
                                   c.btnSave.width = 1500;
                                   c.btnUpdate.width = 1800;
                                   c.Dir1.height = 1000;
                               },
                               [](ImagePageControls& c) {
                                   // The directory list is 890 lower: everything below it moves up.
                                   c.Dir1.height = 1000;
                                   for (TwipRect* r : {&c.Drive1, &c.chkReScan, &c.chkAddPath,
                                                       &c.chkStartupOnly, &c.lblScaleFactor,
                                                       &c.tbxScaleFactor, &c.tbxDelay, &c.lblDelay})
                                       r->top -= 890;
                                   c.chkReScan.width = 2000;
                                   c.lblScaleFactor.width = 900;
                                   c.lblScaleFactor.height = 240;
                                   c.tbxScaleFactor = {1110, c.tbxScaleFactor.top, 700, 315};
                                   c.lblDelay = {2600, c.lblDelay.top, 1000, 195};
                                   c.btnSave = {3210, 4530, 1500, 315};
                                   c.btnUpdate = {1350, 4530, 1800, 315};
                               }},
                    LayoutCase{"ALargerPageMovesTheRightAndBottomControls", 1, 9000, 7000, none,
                               [](ImagePageControls& c) {
                                   c.tbxPath.width = c.Dir1.width = c.Drive1.width = 8700;
                                   c.tbxDelay.left = 7800;
                                   c.lblDelay.left = 6990;
                                   c.btnSave.left = 7725;
                                   c.btnUpdate.left = 6540;
                                   c.btnSave.top = c.btnUpdate.top = 6535;
                               }}),
    muralto::test::byName);

TEST(LayoutImagePage, ATinyPageKeepsEverySizeAtZeroOrAbove) {
    for (const std::int32_t width : {0, 100, 299, 300}) {
        const ImagePageControls c = LayoutImagePage(designedImagePage(), width, 10, 1);
        EXPECT_EQ(c.tbxPath.width, 0) << width;
        EXPECT_EQ(c.Dir1.width, 0) << width;
        EXPECT_EQ(c.Drive1.width, 0) << width;
        EXPECT_EQ(c.btnSave.left, width - 1125 - 150) << width;  // positions may go below 0
    }
    EXPECT_EQ(LayoutImagePage(designedImagePage(), 301, 10, 1).tbxPath.width, 1);
}

}  // namespace
}  // namespace muralto::options
