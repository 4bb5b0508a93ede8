// The image page's layout in twips: one column at the margin, the delay box on the right, the
// buttons at the bottom right.
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

// Every position below follows from the margins, the page's size and its neighbour's, so
// together the checks pin the whole layout.
TEST(LayoutImagePage, StandsInAColumnWithTheDelayAndTheButtonsAtTheRight) {
    for (const auto& [width, height] : {std::pair{4860, 4995}, std::pair{9000, 7000}}) {
        SCOPED_TRACE(width);
        ImagePageControls designed = designedImagePage();
        designed.btnSave.width = 1500;  // kept sizes come from the controls
        designed.Dir1.height = 1000;
        const ImagePageControls c = LayoutImagePage(designed, width, height, 1);
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
        EXPECT_EQ(c.Dir1.width, width - 300);
        EXPECT_EQ(c.Dir1.height, 1000);
        EXPECT_EQ(c.chkAddPath.height, 315);
        EXPECT_EQ(c.tbxScaleFactor.height, 315);
        // The scale box 60 right of its label, whose text stands 45 lower than the box's.
        EXPECT_EQ(c.tbxScaleFactor.left, right(c.lblScaleFactor) + 60);
        EXPECT_EQ(c.tbxScaleFactor.top, c.lblScaleFactor.top - 45);
        // The delay box at the right margin on the first check box's row, its label 60 left.
        EXPECT_EQ(right(c.tbxDelay), width - 150);
        EXPECT_EQ(c.tbxDelay.top, c.chkReScan.top);
        EXPECT_EQ(right(c.lblDelay), c.tbxDelay.left - 60);
        EXPECT_EQ(c.lblDelay.top, c.chkReScan.top + 45);
        // The buttons side by side, 60 apart, at the bottom right margins.
        EXPECT_EQ(c.btnSave.width, 1500);
        EXPECT_EQ(right(c.btnSave), width - 150);
        EXPECT_EQ(bottom(c.btnSave), height - 150);
        EXPECT_EQ(right(c.btnUpdate), c.btnSave.left - 60);
        EXPECT_EQ(c.btnUpdate.top, c.btnSave.top);
    }
}

TEST(LayoutImagePage, TheSaverTabPutsTheScaleRowUnderAddPath) {
    const ImagePageControls c = LayoutImagePage(designedImagePage(), 4860, 4995, 2);
    EXPECT_EQ(c.lblScaleFactor.top, bottom(c.chkAddPath) + 135);
}

TEST(LayoutImagePage, ATinyPageKeepsEverySizeAtZeroOrAbove) {
    EXPECT_EQ(LayoutImagePage(designedImagePage(), 299, 10, 1).tbxPath.width, 0);
    EXPECT_EQ(LayoutImagePage(designedImagePage(), 301, 10, 1).tbxPath.width, 1);
}

}  // namespace
}  // namespace muralto::options
