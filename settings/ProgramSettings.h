#pragma once

#include <cstdint>
#include <string>

#include "settings/RegistryTools.h"
#include "settings/RunMode.h"

namespace muralto::settings {

/// One set of image settings; the program keeps one for the wallpaper and one for the saver.
struct ImageSettings {
    bool Valid = false;
    std::string Path;              ///< image folder; after loading it ends with '/'
    std::int32_t Delay = 0;        ///< seconds between two changes
    bool ReScan = false;           ///< scan the folder again at every update
    bool AddPath = false;          ///< write the picture's path below it
    std::int32_t ScaleFactor = 1;  ///< tiles across the screen's width and height; at least 1
    bool StartupOnly = false;      ///< change once at start only (wallpaper settings only)

    bool operator==(const ImageSettings&) const = default;
};

/// A folder as the settings keep it: ending with a '/' (an empty text becomes "/").
std::string withFinalSeparator(std::string path);

/// What saving the settings needs from the running program.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    virtual RunMode runMode() const = 0;
    /// Whether the update timer is ticking now.
    virtual bool timerEnabled() const = 0;
    virtual void StartTimer() = 0;
    virtual void StopTimer() = 0;
    /// Empties the image list so that the next update scans the folder again.
    virtual void resetImageList() = 0;
    /// Told once the values of a save are stored, whatever changed.
    virtual void settingsSaved() = 0;
};

/// The section of the program's key that holds its settings.
inline constexpr std::string_view kSettingsSection = "Settings";

/// The program's working settings and their storage under "Settings".
class ProgramSettings {
public:
    explicit ProgramSettings(RegistryTools& tools) : tools_(tools) {}

    ImageSettings WallpaperSettings;
    ImageSettings SaverSettings;
    bool ScanNews = false;

    /// Fills both records and ScanNews from the stored values; missing or unreadable values
    /// take their defaults, an empty path becomes programDirectory.
    void LoadSettings(const std::string& programDirectory);

    /// Writes both records and ScanNews, empties the image list when the wallpaper folder
    /// changed, and in wallpaper mode starts or stops the update timer to match StartupOnly.
    void SaveSettings(SettingsHost& host);

    /// A value of the settings section, or the default.
    std::string text(std::string_view name, std::string_view defaultValue);
    /// A number of the settings section; an unreadable one gives the default's number.
    std::int32_t number(std::string_view name, std::string_view defaultValue);
    /// A Boolean of the settings section; an unreadable one gives the default's value.
    bool boolean(std::string_view name, std::string_view defaultValue);
    void put(std::string_view name, std::string_view value);

private:
    ImageSettings loadRecord(const char* prefix, const ImageSettings* defaults,
                             const std::string& programDirectory);

    RegistryTools& tools_;
};

}  // namespace muralto::settings
