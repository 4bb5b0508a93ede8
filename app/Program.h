#pragma once

#include <cstdint>
#include <string>

#include "CommandLine.h"
#include "MessageBoxes.h"
#include "ProgramSettings.h"
#include "RandomSource.h"
#include "ScreenSaverInstaller.h"
#include "Registry.h"
#include "RegistryTools.h"
#include "StringTables.h"
#include "SystemInfo.h"

namespace muralto::app {

/// The host services the program runs on; Main is the one place that creates the real ones.
struct Services {
    platform::Registry& registry;
    platform::MessageBoxes& boxes;
    platform::SystemInfo& system;
    platform::PasswordServices& passwords;
    platform::RandomSource& random;
    platform::ScreenSaverInstaller& installer;
    const i18n::StringTable& strings;
};

/// The text of the question asked once per user in the wallpaper mode.
inline constexpr std::string_view kDefaultSaverQuestion =
    "Do you wish to make Muraltor your default screen saver?";

/// The program's state for one run and the start-up procedure.
class Program : public settings::SettingsHost {
public:
    explicit Program(Services services);

    enum class Outcome {
        EndNow,   ///< the command line was served; the process ends
        Running,  ///< the windows are up; the process lives on their events
    };

    /// Starts the program as the command line asks.
    Outcome Main(const CommandLine& commandLine);

    // settings::SettingsHost
    std::int32_t runMode() const override { return glRunMode; }
    bool timerEnabled() const override { return timerEnabled_; }
    void StartTimer() override;
    void StopTimer() override;
    void resetImageList() override {}

    std::int32_t glRunMode = kWallpaperMode;
    bool gbSaverPage = false;
    bool gbTimerStarted = false;
    std::string DefaultFileTypes;

    settings::RegistryTools& tools() { return tools_; }
    settings::ProgramSettings& settings() { return settings_; }

private:
    void askDefaultScreenSaver();

    Services services_;
    settings::RegistryTools tools_;
    settings::ProgramSettings settings_;
    bool timerEnabled_ = false;
};

}  // namespace muralto::app
