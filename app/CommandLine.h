#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/RunMode.h"

namespace muralto::app {

/// What the command line asks for.
struct CommandLine {
    std::string text;  ///< the arguments joined by blanks
    settings::RunMode runMode = settings::RunMode::Wallpaper;
    bool passwordChange = false;  ///< "/a": the saver password's change; ends at once
    bool help = false;
    bool version = false;
    /// "/p": the host's preview window (the text after the first blank).
    std::int32_t previewHost = 0;
    /// "/p": the window whose client area the preview covers (the text from its third
    /// character on).
    std::int32_t previewRectWindow = 0;
    /// -root or -window-id: started the way xscreensaver starts its programs. Such a run
    /// lives in the preview mode (no mouse, no second-instance check, no shared values).
    bool xscreensaver = false;
    /// -root without -window-id: the frames are the full-screen saver's, with its caption.
    bool fullScreenFrames = false;
    /// -root / -window-id: the X11 window to draw into, as xscreensaver hands it over.
    std::optional<std::uint32_t> embedWindow;
    /// -root without $XSCREENSAVER_WINDOW: draw into the root window.
    bool embedInRoot = false;
};

/// Decides the run mode. "/c", "/s", "/a" and "/p" are found by a case-sensitive substring
/// search of the joined text, in that order, the first hit winning; no text is ever rejected
/// (anything else is the wallpaper mode). Without one of those, "-root"/"--root" and
/// "-window-id ID"/"--window-id ID" (decimal, or hexadecimal after "0x") select the preview
/// mode drawing into the window xscreensaver names; a window given with -window-id wins over
/// $XSCREENSAVER_WINDOW wherever the switches stand. "--help" and "--version" win over all.
CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const char* xscreensaverWindow);

/// A window id as xscreensaver writes it: decimal, or hexadecimal after "0x".
std::optional<std::uint32_t> parseWindowId(const std::string& text);

/// The text of --help.
std::string usageText();

}  // namespace muralto::app
