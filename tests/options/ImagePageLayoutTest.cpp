// The image page's layout in twips: one column at the margin, the delay box on the right, the
// buttons at the bottom right.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

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

constexpr std::int32_t kPageWidth = 4860;
constexpr std::int32_t kPageHeight = 4995;

/// The designed page laid out on a 4860 x 4995 page, wallpaper tab: what the rows below change.
ImagePageControls reference() {
    return LayoutImagePage(designedImagePage(), kPageWidth, kPageHeight, 1);
}

std::int32_t right(const TwipRect& r) {
    return r.left + r.width;
}
std::int32_t bottom(const TwipRect& r) {
    return r.top + r.height;
}

std::vector<std::pair<std::int32_t, std::int32_t>> sizes(const ImagePageControls& c) {
    std::vector<std::pair<std::int32_t, std::int32_t>> all;
    for (const TwipRect* r :
         {&c.tbxPath, &c.Dir1, &c.Drive1, &c.chkReScan, &c.chkAddPath, &c.chkStartupOnly,
          &c.lblScaleFactor, &c.tbxScaleFactor, &c.tbxDelay, &c.lblDelay, &c.btnSave, &c.btnUpdate})
        all.emplace_back(r->width, r->height);
    return all;
}

// Every position below follows from the margins, the page's size and its neighbour's, so
// together the checks pin the whole layout.
TEST(LayoutImagePage, TheDesignedPageStandsInAColumnWithTheDelayAndTheButtonsAtTheRight) {
    const ImagePageControls designed = designedImagePage();
    const ImagePageControls c = reference();
    const std::array column = {&c.tbxPath,    &c.Dir1,           &c.Drive1,        &c.chkReScan,
                               &c.chkAddPath, &c.chkStartupOnly, &c.lblScaleFactor};
    std::vector<std::int32_t> lefts, gaps;
    for (std::size_t i = 0; i < column.size(); ++i) {
        lefts.push_back(column[i]->left);
        if (i > 0)
            gaps.push_back(column[i]->top - bottom(*column[i - 1]));
    }
    EXPECT_EQ(c.tbxPath.top, 150);
    EXPECT_EQ(lefts, std::vector<std::int32_t>(column.size(), 150));
    EXPECT_EQ(gaps, (std::vector<std::int32_t>{90, 90, 90, 60, 60, 135}));
    // The path box and the lists span the margins; the check boxes and the scale box are one
    // row high; every other size is the control's own.
    ImagePageControls sized = designed;
    sized.tbxPath.width = sized.Dir1.width = sized.Drive1.width = kPageWidth - 2 * 150;
    for (TwipRect* r :
         {&sized.chkReScan, &sized.chkAddPath, &sized.chkStartupOnly, &sized.tbxScaleFactor})
        r->height = 315;
    EXPECT_EQ(sizes(c), sizes(sized));
    // The scale box 60 right of its label, whose text stands 45 lower than the box's.
    EXPECT_EQ(c.tbxScaleFactor.left, right(c.lblScaleFactor) + 60);
    EXPECT_EQ(c.tbxScaleFactor.top, c.lblScaleFactor.top - 45);
    // The delay box at the right margin on the first check box's row, its label 60 left of it.
    EXPECT_EQ(right(c.tbxDelay), kPageWidth - 150);
    EXPECT_EQ(c.tbxDelay.top, c.chkReScan.top);
    EXPECT_EQ(right(c.lblDelay), c.tbxDelay.left - 60);
    EXPECT_EQ(c.lblDelay.top, c.chkReScan.top + 45);
    // The buttons side by side, 60 apart, at the bottom right margins.
    EXPECT_EQ(right(c.btnSave), kPageWidth - 150);
    EXPECT_EQ(bottom(c.btnSave), kPageHeight - 150);
    EXPECT_EQ(right(c.btnUpdate), c.btnSave.left - 60);
    EXPECT_EQ(c.btnUpdate.top, c.btnSave.top);
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
    testing::Values(LayoutCase{"SaverTabPutsTheScaleRowUnderAddPath", 2, 4860, 4995, none,
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
