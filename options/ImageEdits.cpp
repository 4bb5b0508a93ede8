#include "options/ImageEdits.h"

#include <cmath>
#include <limits>

#include "settings/Conversions.h"

namespace muralto::options {

using settings::withFinalSeparator;

std::int32_t wholeNumber(std::string_view text) {
    const double value = std::floor(settings::leadingNumber(text));
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value))
        return 0;
    if (value <= kMin)
        return kMin;
    if (value >= kMax)
        return kMax;
    return static_cast<std::int32_t>(value);
}

std::int32_t scaleFactorNumber(std::string_view text) {
    return std::max(wholeNumber(text), 1);
}

settings::ImageSettings readImagePage(const ImagePageValues& v) {
    settings::ImageSettings s;
    // An emptied box means the program's folder, as an empty stored path does; with a separator
    // added it would name the root, and the next update would scan the whole file system.
    s.Path = v.pathText.empty() ? std::string() : withFinalSeparator(v.pathText);
    s.AddPath = v.addPath;
    s.ReScan = v.reScan;
    s.Delay = wholeNumber(v.delayText);
    s.ScaleFactor = scaleFactorNumber(v.scaleText);
    s.StartupOnly = v.startupOnly;
    s.Valid = true;
    return s;
}

FilledPage fillImagePage(const settings::ImageSettings& source, const std::string& directoryShown) {
    FilledPage page;
    page.values.pathText = withFinalSeparator(directoryShown);
    page.values.reScan = source.ReScan;
    page.values.addPath = source.AddPath;
    page.values.delayText = settings::numberText(source.Delay);
    page.values.startupOnly = source.StartupOnly;
    const std::int32_t scale = std::max(source.ScaleFactor, 1);
    page.values.scaleText = settings::numberText(scale);
    page.corrected = source.Path != page.values.pathText || scale != source.ScaleFactor;
    return page;
}

void ImageEdits::reset() {
    *this = ImageEdits();
}

const settings::ImageSettings& ImageEdits::fillSource(
    bool saverPage, const settings::ProgramSettings& program) const {
    const settings::ImageSettings& edit = saverPage ? mSaverEdit : mWallpaperEdit;
    if (edit.Valid)
        return edit;
    return saverPage ? program.SaverSettings : program.WallpaperSettings;
}

void ImageEdits::changed() {
    if (!mbFilling)
        mbChanged = true;
}

bool ImageEdits::saveEnabled(settings::RunMode runMode) const {
    return runMode == settings::RunMode::Options || mbChanged;
}

void ImageEdits::memorize(const settings::ImageSettings& page, bool saverPage) {
    (saverPage ? mSaverEdit : mWallpaperEdit) = page;
}

void ImageEdits::commit(settings::ProgramSettings& program) const {
    if (mWallpaperEdit.Valid)
        program.WallpaperSettings = mWallpaperEdit;
    if (mSaverEdit.Valid)
        program.SaverSettings = mSaverEdit;
}

}  // namespace muralto::options
