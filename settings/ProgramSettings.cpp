#include "settings/ProgramSettings.h"

#include "platform/ProgramIdentity.h"
#include "settings/Conversions.h"

namespace muralto::settings {

using platform::kProgramTitle;

namespace {

constexpr char kSeparator = '/';

/// An empty folder becomes the program's folder; every folder ends with a separator.
std::string completePath(std::string path, const std::string& programDirectory) {
    return withFinalSeparator(path.empty() ? programDirectory : std::move(path));
}

std::string name(const char* prefix, std::string_view base) {
    return std::string(prefix).append(base);
}

}  // namespace

std::string withFinalSeparator(std::string path) {
    if (path.empty() || path.back() != kSeparator)
        path += kSeparator;
    return path;
}

std::string ProgramSettings::text(std::string_view valueName, std::string_view defaultValue) {
    return tools_.GetINIValue(kProgramTitle, kSettingsSection, valueName, defaultValue);
}

std::int32_t ProgramSettings::number(std::string_view valueName, std::string_view defaultValue) {
    if (auto v = readNumber(text(valueName, defaultValue)))
        return *v;
    return readNumber(defaultValue).value_or(0);
}

bool ProgramSettings::boolean(std::string_view valueName, std::string_view defaultValue) {
    if (auto v = readBoolean(text(valueName, defaultValue)))
        return *v;
    return readBoolean(defaultValue).value_or(false);
}

void ProgramSettings::put(std::string_view valueName, std::string_view value) {
    tools_.PutINIValue(kProgramTitle, kSettingsSection, valueName, value);
}

/// Reads one record. The wallpaper record ("Path", "Delay", ...) has fixed defaults; the saver
/// record ("SSPath", ...) defaults to the wallpaper record as just loaded.
ImageSettings ProgramSettings::loadRecord(const char* prefix, const ImageSettings* defaults,
                                          const std::string& programDirectory) {
    ImageSettings r;
    r.Path = text(name(prefix, "Path"), defaults ? defaults->Path : "");
    r.Delay = number(name(prefix, "Delay"), defaults ? numberText(defaults->Delay) : "60");
    r.ReScan = boolean(name(prefix, "ReScan"), defaults ? booleanWord(defaults->ReScan) : "0");
    r.AddPath = boolean(name(prefix, "AddPath"), defaults ? booleanWord(defaults->AddPath) : "0");
    r.ScaleFactor =
        number(name(prefix, "ScaleFactor"), defaults ? numberText(defaults->ScaleFactor) : "1");
    if (!defaults)
        r.StartupOnly = boolean("StartupOnly", "0");
    if (r.ScaleFactor < 1)
        r.ScaleFactor = 1;
    r.Path = completePath(r.Path, programDirectory);
    r.Valid = true;
    return r;
}

void ProgramSettings::LoadSettings(const std::string& programDirectory) {
    WallpaperSettings = loadRecord("", nullptr, programDirectory);
    SaverSettings = loadRecord("SS", &WallpaperSettings, programDirectory);
    ScanNews = boolean("SSScanNews", booleanWord(ScanNews));
}

void ProgramSettings::SaveSettings(SettingsHost& host) {
    put("SSDelay", numberText(SaverSettings.Delay));
    put("SSPath", SaverSettings.Path);
    put("SSReScan", booleanText(SaverSettings.ReScan));
    put("SSAddPath", booleanText(SaverSettings.AddPath));
    put("SSScaleFactor", numberText(SaverSettings.ScaleFactor));
    put("SSScanNews", booleanText(ScanNews));
    put("Delay", numberText(WallpaperSettings.Delay));

    // File names on Linux are case-sensitive: only the very same text names the same folder.
    if (text("Path", "") != WallpaperSettings.Path)
        host.resetImageList();

    put("Path", WallpaperSettings.Path);
    put("ReScan", booleanText(WallpaperSettings.ReScan));
    put("AddPath", booleanText(WallpaperSettings.AddPath));
    put("ScaleFactor", numberText(WallpaperSettings.ScaleFactor));
    put("StartupOnly", booleanText(WallpaperSettings.StartupOnly));
    host.settingsSaved();

    if (host.runMode() != RunMode::Wallpaper)
        return;
    if (WallpaperSettings.StartupOnly) {
        host.StopTimer();
    } else if (!host.timerEnabled()) {
        // Also restarts changes that an earlier save with StartupOnly set had stopped.
        host.StartTimer();
    }
}

}  // namespace muralto::settings
