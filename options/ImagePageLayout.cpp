#include "options/ImagePageLayout.h"

namespace muralto::options {
namespace {

constexpr std::int32_t kMargin = 150;
constexpr std::int32_t kRowGap = 90;
constexpr std::int32_t kCheckGap = 60;
constexpr std::int32_t kLabelGap = 60;
constexpr std::int32_t kTextDrop = 45;  ///< a label's text stands this much lower than a box's
constexpr std::int32_t kRowHeight = 315;

std::int32_t below(const TwipRect& r, std::int32_t gap) {
    return r.top + r.height + gap;
}

}  // namespace

ImagePageControls designedImagePage() {
    ImagePageControls c;
    c.tbxPath = {0, 0, 4545, 315};
    c.Dir1 = {15, 405, 4545, 1890};
    c.Drive1 = {0, 2370, 4545, 315};
    c.chkReScan = {0, 2805, 1350, 210};
    c.chkAddPath = {0, 3135, 1725, 225};
    c.chkStartupOnly = {15, 3705, 2010, 225};
    c.lblScaleFactor = {15, 3435, 1290, 195};
    c.tbxScaleFactor = {1200, 3375, 960, 285};
    c.lblDelay = {2715, 2775, 750, 195};
    c.tbxDelay = {3480, 2745, 1050, 315};
    c.btnUpdate = {2250, 3900, 1125, 315};
    c.btnSave = {3435, 3915, 1125, 315};
    return c;
}

void layoutScaleFactorRow(ImagePageControls& c, const TwipRect& anchor) {
    c.lblScaleFactor.left = kMargin;
    c.lblScaleFactor.top = below(anchor, kRowGap + kTextDrop);
    c.tbxScaleFactor.left = c.lblScaleFactor.left + c.lblScaleFactor.width + kLabelGap;
    c.tbxScaleFactor.top = c.lblScaleFactor.top - kTextDrop;
    c.tbxScaleFactor.height = kRowHeight;
}

ImagePageControls LayoutImagePage(ImagePageControls c, std::int32_t width, std::int32_t height,
                                  std::int32_t selectedTab) {
    c.tbxPath = {kMargin, kMargin, nonNegative(std::int64_t{width} - 2 * kMargin), kRowHeight};
    c.Dir1.left = kMargin;
    c.Dir1.top = below(c.tbxPath, kRowGap);
    c.Dir1.width = c.tbxPath.width;
    c.Drive1.left = kMargin;
    c.Drive1.top = below(c.Dir1, kRowGap);
    c.Drive1.width = c.Dir1.width;
    c.chkReScan.left = kMargin;
    c.chkReScan.top = below(c.Drive1, kRowGap);
    c.chkReScan.height = kRowHeight;
    c.chkAddPath.left = kMargin;
    c.chkAddPath.top = below(c.chkReScan, kCheckGap);
    c.chkAddPath.height = kRowHeight;
    c.chkStartupOnly.left = kMargin;
    c.chkStartupOnly.top = below(c.chkAddPath, kCheckGap);
    c.chkStartupOnly.height = kRowHeight;
    layoutScaleFactorRow(c, selectedTab == 1 ? c.chkStartupOnly : c.chkAddPath);
    c.tbxDelay.left = width - kMargin - c.tbxDelay.width;
    c.tbxDelay.top = c.chkReScan.top;
    c.lblDelay.left = c.tbxDelay.left - kLabelGap - c.lblDelay.width;
    c.lblDelay.top = c.chkReScan.top + kTextDrop;
    c.btnSave.left = width - c.btnSave.width - kMargin;
    c.btnSave.top = height - kMargin - kRowHeight;
    c.btnUpdate.left = c.btnSave.left - kLabelGap - c.btnUpdate.width;
    c.btnUpdate.top = c.btnSave.top;
    return c;
}

}  // namespace muralto::options
