#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ProgramSettings.h"

namespace muralto::options {

/// A whole number typed into the page: the leading number of the text by the program's number
/// rule, rounded down ("2.7" gives 2, "-1.5" gives -2, text without a number 0). A number beyond
/// the 32-bit range gives the nearest end of that range: the field holds 32 bits.
std::int32_t wholeNumber(std::string_view text);

/// A scale factor typed into the page: wholeNumber, at least 1.
std::int32_t scaleFactorNumber(std::string_view text);

/// What the controls of the image page hold, as text and check marks. pathText is in the
/// system's bytes.
struct ImagePageValues {
    std::string pathText;
    std::string delayText;
    std::string scaleText;
    bool reScan = false;
    bool addPath = false;
    bool startupOnly = false;
};

/// The page's controls read back as a settings record: the path with a final '/' (an empty
/// one stays empty: the program's folder), the numbers
/// read by wholeNumber and scaleFactorNumber, Valid set.
settings::ImageSettings readImagePage(const ImagePageValues& values);

/// What the page shows for a settings record, given the directory the directory list ended on
/// after it was pointed at the record's path. corrected tells that the stored record differs
/// from what is shown (a missing folder, a path written differently, a scale below 1): a save
/// will store what is shown.
struct FilledPage {
    ImagePageValues values;
    bool corrected = false;
};
FilledPage fillImagePage(const settings::ImageSettings& source, const std::string& directoryShown);

/// The edit state of the options window's image page: the dirty flag, the guard while the
/// page is filled in, and the edited copies of the wallpaper and screen-saver settings.
class ImageEdits {
public:
    /// Nothing edited, both copies invalid.
    void reset();

    /// The record a page fills in from: the edited copy once it holds edits, else the program's.
    const settings::ImageSettings& fillSource(bool saverPage,
                                              const settings::ProgramSettings& program) const;

    /// A control changed: an edit unless the page is being filled in.
    void changed();

    /// The state of the save button after an edit, for a run mode: it shows the dirty flag,
    /// except in the options mode, where it stays enabled.
    bool saveEnabled(settings::RunMode runMode) const;

    /// Keeps the page's values in the copy of the settings on show.
    void memorize(const settings::ImageSettings& page, bool saverPage);

    /// Hands every copy that holds edits to the program's records. The copies stay valid.
    void commit(settings::ProgramSettings& program) const;

    bool mbChanged = false;
    bool mbFilling = false;
    settings::ImageSettings mWallpaperEdit;
    settings::ImageSettings mSaverEdit;
};

/// Sets mbFilling while a page is written, clearing it on the way out whatever happens.
class FillingGuard {
public:
    explicit FillingGuard(ImageEdits& edits) : edits_(edits) { edits_.mbFilling = true; }
    ~FillingGuard() { edits_.mbFilling = false; }
    FillingGuard(const FillingGuard&) = delete;
    FillingGuard& operator=(const FillingGuard&) = delete;

private:
    ImageEdits& edits_;
};

}  // namespace muralto::options
