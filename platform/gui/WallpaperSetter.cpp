#include "platform/gui/WallpaperSetter.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

#include "platform/gui/ChildProcesses.h"
#include "platform/gui/Processes.h"
#include "platform/gui/WallpaperDesktops.h"
#include "platform/gui/WallpaperPlasma.h"
#include "platform/gui/WallpaperSwaybg.h"
#include "platform/gui/WallpaperX11.h"

namespace muralto::platform {

namespace {

constexpr std::array<std::pair<WallpaperBackend, std::string_view>, 11> kNames{{
    {WallpaperBackend::None, "none"},
    {WallpaperBackend::X11, "x11"},
    {WallpaperBackend::Gnome, "gnome"},
    {WallpaperBackend::Cinnamon, "cinnamon"},
    {WallpaperBackend::Mate, "mate"},
    {WallpaperBackend::Xfce, "xfce"},
    {WallpaperBackend::Kde, "kde"},
    {WallpaperBackend::Lxqt, "lxqt"},
    {WallpaperBackend::Lxde, "lxde"},
    {WallpaperBackend::Sway, "sway"},
    {WallpaperBackend::Swaybg, "swaybg"},
}};

/// Words a desktop entry may contain, tried in this order: the desktops that grew out of
/// GNOME come before "gnome", which some of them name as well.
constexpr std::array<std::pair<std::string_view, WallpaperBackend>, 11> kDesktopWords{{
    {"cinnamon", WallpaperBackend::Cinnamon},
    {"mate", WallpaperBackend::Mate},
    {"xfce", WallpaperBackend::Xfce},
    {"lxqt", WallpaperBackend::Lxqt},
    {"lxde", WallpaperBackend::Lxde},
    {"kde", WallpaperBackend::Kde},
    {"plasma", WallpaperBackend::Kde},
    {"sway", WallpaperBackend::Sway},
    {"budgie", WallpaperBackend::Gnome},
    {"unity", WallpaperBackend::Gnome},
    {"gnome", WallpaperBackend::Gnome},
}};

constexpr std::array<const char*, 7> kVariables{"MURALTO_WALLPAPER_BACKEND",
                                                "XDG_CURRENT_DESKTOP",
                                                "XDG_SESSION_TYPE",
                                                "KDE_SESSION_VERSION",
                                                "SWAYSOCK",
                                                "DISPLAY",
                                                "PATH"};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return lower;
}

std::optional<WallpaperBackend> backendForDesktopEntry(const std::string& entry) {
    for (const auto& [word, backend] : kDesktopWords) {
        if (entry.find(word) != std::string::npos)
            return backend;
    }
    return std::nullopt;
}

std::optional<WallpaperBackend> backendForDesktops(const std::string& desktops) {
    const std::string lower = lowerCase(desktops);
    std::size_t start = 0;
    while (start <= lower.size()) {
        const std::size_t end = std::min(lower.find(':', start), lower.size());
        const auto backend = backendForDesktopEntry(lower.substr(start, end - start));
        if (backend)
            return backend;
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace

Placement placementForScaleFactor(long scaleFactor) {
    return scaleFactor >= 2 ? Placement::Tiled : Placement::Centred;
}

std::string_view backendName(WallpaperBackend backend) {
    for (const auto& [known, name] : kNames) {
        if (known == backend)
            return name;
    }
    return "none";
}

std::optional<WallpaperBackend> backendFromName(std::string_view name) {
    const std::string lower = lowerCase(name);
    for (const auto& [backend, known] : kNames) {
        if (known == lower)
            return backend;
    }
    return std::nullopt;
}

std::string Environment::value(const std::string& name) const {
    const auto found = variables.find(name);
    return found == variables.end() ? std::string() : found->second;
}

Environment Environment::fromProcess() {
    Environment environment;
    for (const char* name : kVariables) {
        if (const char* value = std::getenv(name))
            environment.variables[name] = value;
    }
    return environment;
}

WallpaperBackend chooseWallpaperBackend(const Environment& environment) {
    if (const auto forced = backendFromName(environment.value("MURALTO_WALLPAPER_BACKEND"))) {
        return *forced;
    }
    if (const auto desktop = backendForDesktops(environment.value("XDG_CURRENT_DESKTOP"))) {
        return *desktop;
    }
    if (!environment.value("KDE_SESSION_VERSION").empty())
        return WallpaperBackend::Kde;
    if (!environment.value("SWAYSOCK").empty())
        return WallpaperBackend::Sway;
    if (lowerCase(environment.value("XDG_SESSION_TYPE")) == "wayland") {
        const bool swaybg = !findInPath("swaybg", environment.value("PATH")).empty();
        return swaybg ? WallpaperBackend::Swaybg : WallpaperBackend::None;
    }
    return WallpaperBackend::X11;
}

std::unique_ptr<WallpaperSetter> makeWallpaperSetter(WallpaperBackend backend,
                                                     const WallpaperServices& services) {
    const auto& runner = services.runner;
    const auto pcmanfm = [&](PcmanfmDesktop desktop) {
        return std::make_unique<PcmanfmWallpaperSetter>(std::move(desktop), runner,
                                                        services.processes, services.configHome);
    };
    switch (backend) {
        case WallpaperBackend::X11:
            return std::make_unique<X11WallpaperSetter>();
        case WallpaperBackend::Gnome:
            return std::make_unique<GsettingsWallpaperSetter>(GsettingsDesktop::gnome(), runner);
        case WallpaperBackend::Cinnamon:
            return std::make_unique<GsettingsWallpaperSetter>(GsettingsDesktop::cinnamon(), runner);
        case WallpaperBackend::Mate:
            return std::make_unique<GsettingsWallpaperSetter>(GsettingsDesktop::mate(), runner);
        case WallpaperBackend::Xfce:
            return std::make_unique<XfceWallpaperSetter>(runner);
        case WallpaperBackend::Kde:
            return std::make_unique<PlasmaWallpaperSetter>(services.plasma);
        case WallpaperBackend::Lxqt:
            return pcmanfm(PcmanfmDesktop::lxqt());
        case WallpaperBackend::Lxde:
            return pcmanfm(PcmanfmDesktop::lxde());
        case WallpaperBackend::Sway:
            return std::make_unique<SwayWallpaperSetter>(runner);
        case WallpaperBackend::Swaybg:
            return std::make_unique<SwaybgWallpaperSetter>(services.children);
        case WallpaperBackend::None:
            break;
    }
    return std::make_unique<NullWallpaperSetter>();
}

std::string unsupportedSessionReason(const Environment& environment) {
    if (backendFromName(environment.value("MURALTO_WALLPAPER_BACKEND")) == WallpaperBackend::None) {
        return "MURALTO_WALLPAPER_BACKEND=none turns the wallpaper backend off";
    }
    const std::string desktop = environment.value("XDG_CURRENT_DESKTOP");
    return "no way to set the wallpaper is known on this Wayland session's desktop (" +
           (desktop.empty() ? std::string("XDG_CURRENT_DESKTOP is not set")
                            : "XDG_CURRENT_DESKTOP=" + desktop) +
           "), and " + swaybgMissingReason();
}

bool isX11Session(const Environment& environment) {
    return !environment.value("DISPLAY").empty() &&
           lowerCase(environment.value("XDG_SESSION_TYPE")) != "wayland";
}

WallpaperServices realWallpaperServices() {
    const char* display = std::getenv("DISPLAY");
    std::string configHome;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
        configHome = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        configHome = std::string(home) + "/.config";
    }
    return {std::make_shared<QProcessRunner>(), std::make_shared<DBusPlasmaShell>(),
            std::make_shared<ProcProcessList>(display ? display : ""), configHome,
            std::make_shared<ForkedChildProcesses>()};
}

std::unique_ptr<WallpaperSetter> chooseWallpaperSetter(const Environment& environment) {
    const WallpaperBackend backend = chooseWallpaperBackend(environment);
    if (backend == WallpaperBackend::None)
        return std::make_unique<NullWallpaperSetter>(unsupportedSessionReason(environment));
    return makeWallpaperSetter(backend, realWallpaperServices());
}

}  // namespace muralto::platform
