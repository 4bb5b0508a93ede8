#include "app/CommandLine.h"

#include <charconv>

#include "platform/ProgramIdentity.h"
#include "settings/Conversions.h"

namespace muralto::app {
namespace {

using settings::RunMode;

bool contains(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

/// A window handle read from text as a number; what cannot be read gives 0.
std::int32_t handleFrom(std::string_view text) {
    return settings::readNumber(text).value_or(0);
}

void applyEmbedSwitches(CommandLine& cl, const std::vector<std::string>& arguments,
                        const char* xscreensaverWindow) {
    bool root = false;
    std::optional<std::uint32_t> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "-root" || a == "--root") {
            root = true;
        } else if (a == "-window-id" || a == "--window-id") {
            // A missing or unreadable id names no window: the run reports it and ends.
            given = i + 1 < arguments.size() ? parseWindowId(arguments[i + 1]).value_or(0) : 0;
        }
    }
    if (!root && !given)
        return;
    cl.runMode = RunMode::Preview;
    cl.xscreensaver = true;
    cl.fullScreenFrames = !given;
    if (given) {
        cl.embedWindow = given;
    } else if (xscreensaverWindow) {
        cl.embedWindow = parseWindowId(xscreensaverWindow);
    }
    cl.embedInRoot = !cl.embedWindow;
}

}  // namespace

std::optional<std::uint32_t> parseWindowId(const std::string& text) {
    std::string_view s = text;
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    int base = 10;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        s.remove_prefix(2);
        base = 16;
    }
    std::uint32_t id = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), id, base);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty())
        return std::nullopt;
    return id;
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const char* xscreensaverWindow) {
    CommandLine cl;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i)
            cl.text += ' ';
        cl.text += arguments[i];
        cl.help = cl.help || arguments[i] == "--help";
        cl.version = cl.version || arguments[i] == "--version";
    }
    const std::string fromThird = cl.text.size() > 2 ? cl.text.substr(2) : std::string();
    if (contains(cl.text, "/c")) {
        cl.runMode = RunMode::Options;
    } else if (contains(cl.text, "/s")) {
        cl.runMode = RunMode::Saver;
    } else if (contains(cl.text, "/a")) {
        cl.passwordChange = true;
    } else if (contains(cl.text, "/p")) {
        cl.runMode = RunMode::Preview;
        const std::size_t blank = cl.text.find(' ');
        cl.previewHost =
            handleFrom(blank == std::string::npos ? cl.text : cl.text.substr(blank + 1));
        cl.previewRectWindow = handleFrom(fromThird);
    } else {
        applyEmbedSwitches(cl, arguments, xscreensaverWindow);
    }
    return cl;
}

std::string usageText() {
    return "Usage: muralto [switch]\n"
           "\n"
           "Changes the desktop wallpaper every few seconds from a folder of pictures and\n"
           "stays in the notification area. Also runs as a screen saver.\n"
           "\n"
           "Switches:\n"
           "  (none)              stay resident and change the wallpaper\n"
           "  /s                  run the screen saver full screen\n"
           "  /p HANDLE           show the screen saver inside window HANDLE (decimal)\n"
           "  /c                  open the options on the screen-saver settings\n"
           "  /a                  change the screen-saver password (nothing to do on Linux)\n"
           "  -root, --root       draw into $XSCREENSAVER_WINDOW or the root window\n"
           "  -window-id ID       draw into window ID (decimal, or hexadecimal after 0x)\n"
           "  --help              show this text\n"
           "  --version           show the version\n"
           "\n"
           "Settings live in ${XDG_CONFIG_HOME:-~/.config}/" +
           std::string(platform::kCompanyName) + "/" + std::string(platform::kProgramTitle) +
           "/HKCU.reg.\n";
}

}  // namespace muralto::app
