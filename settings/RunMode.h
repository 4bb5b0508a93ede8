#pragma once

#include <cstdint>

namespace muralto::settings {

/// How the program was started: the switch on its command line. The numbers are those the
/// program has always used for the modes.
enum class RunMode : std::int32_t {
    Wallpaper = 0,  ///< no switch: stays resident and changes the wallpaper
    Saver = 1,      ///< "/s": the screen saver, full screen
    Options = 2,    ///< "/c": the options window on the screen-saver settings
    Preview = 3,    ///< "/p" and xscreensaver's switches: the saver inside another window
};

/// Whether the mode runs the screen saver, full screen or inside another window: it shows the
/// saver's frames from the saver's settings.
inline constexpr bool isSaverRun(RunMode mode) {
    return mode == RunMode::Saver || mode == RunMode::Preview;
}

}  // namespace muralto::settings
