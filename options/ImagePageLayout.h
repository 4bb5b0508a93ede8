#pragma once

#include <cstdint>

#include "options/TwipRect.h"

namespace muralto::options {

/// Where the controls of the image page stand, in twips inside the page.
struct ImagePageControls {
    TwipRect tbxPath;
    TwipRect Dir1;
    TwipRect Drive1;
    TwipRect chkReScan;
    TwipRect chkAddPath;
    TwipRect chkStartupOnly;
    TwipRect lblScaleFactor;
    TwipRect tbxScaleFactor;
    TwipRect tbxDelay;
    TwipRect lblDelay;
    TwipRect btnSave;
    TwipRect btnUpdate;

    bool operator==(const ImagePageControls&) const = default;
};

/// The page as designed: positions before the first layout.
ImagePageControls designedImagePage();

/// Lays the page out for its inner size: one column at a 150-twip margin (path box, directory
/// list, drive list, the check boxes 315 high, the scale-factor row), the delay box at the
/// right margin on the row of the first check box, the two buttons at the bottom right. Sizes
/// marked "kept" in the rows come from controls; each row reads the rows before it. The
/// scale-factor row goes under chkStartupOnly when selectedTab (1-based) is 1, under
/// chkAddPath otherwise. No size becomes negative.
ImagePageControls LayoutImagePage(ImagePageControls controls, std::int32_t width,
                                  std::int32_t height, std::int32_t selectedTab);

/// The scale-factor row alone: the label at the margin 135 twips below anchor (its text 45 twips
/// lower than the box's), the box 60 twips right of the label and 315 high.
void layoutScaleFactorRow(ImagePageControls& controls, const TwipRect& anchor);

}  // namespace muralto::options
