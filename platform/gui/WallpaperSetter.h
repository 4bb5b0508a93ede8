#pragma once

#include <QSize>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/gui/Result.h"

namespace muralto::platform {

class ProcessRunner;
class ProcessList;
class PlasmaShell;
class ChildProcesses;

/// How the desktop shows the bitmap.
enum class Placement {
    Centred,  ///< once, in the middle of the screen, on black
    Tiled,    ///< repeated from the top-left corner of the screen
};

/// The placement that matches a ScaleFactor: centred for 1 (or less), tiled for 2 or more,
/// where the bitmap is one tile of the grid.
Placement placementForScaleFactor(long scaleFactor);

/// One change of the wallpaper.
struct WallpaperJob {
    std::string bitmapPath;  ///< the bitmap file, in the system's bytes
    Placement placement = Placement::Centred;
    QSize screen;  ///< the primary screen in device pixels, for which the bitmap was made
};

/// Makes a bitmap file the desktop's wallpaper.
class WallpaperSetter {
public:
    virtual ~WallpaperSetter() = default;

    /// Shows the job's bitmap as the wallpaper with its placement. Works only once the desktop
    /// took it, else fails with a readable reason; never throws for a bad file or a missing
    /// tool.
    virtual Result<> setWallpaper(const WallpaperJob& job) = 0;
    /// The backend's short name, as MURALTO_WALLPAPER_BACKEND spells it.
    virtual std::string_view name() const = 0;
    /// Whether this backend can set the wallpaper at all, and why not. A backend that can may
    /// still fail on a given call.
    virtual Result<> canSetWallpaper() const { return {}; }
    /// What the user should hear once about the last change that worked (a helper program
    /// that had died and was started again), or empty; asking clears it.
    virtual std::string takeNotice() { return {}; }
};

/// The backend for sessions whose wallpaper cannot be set: it says so, with the reason it was
/// made with, both when asked and when told to set one.
class NullWallpaperSetter : public WallpaperSetter {
public:
    explicit NullWallpaperSetter(std::string reason = "this session's wallpaper cannot be set")
        : reason_(std::move(reason)) {}
    Result<> setWallpaper(const WallpaperJob&) override { return Failure{reason_}; }
    std::string_view name() const override { return "none"; }
    Result<> canSetWallpaper() const override { return Failure{reason_}; }

private:
    std::string reason_;
};

/// The backends the chooser knows.
enum class WallpaperBackend {
    None,
    X11,
    Gnome,
    Cinnamon,
    Mate,
    Xfce,
    Kde,
    Lxqt,
    Lxde,
    Sway,
    Swaybg
};

/// The backend's name: "none", "x11", "gnome", "cinnamon", "mate", "xfce", "kde", "lxqt",
/// "lxde", "sway" or "swaybg".
std::string_view backendName(WallpaperBackend backend);
/// The backend a name stands for (ASCII letter case ignored); nothing for an unknown name.
std::optional<WallpaperBackend> backendFromName(std::string_view name);

/// The session variables the chooser reads. An unset variable is absent from the map.
struct Environment {
    std::map<std::string, std::string> variables;

    /// The variable's value; empty when it is unset.
    std::string value(const std::string& name) const;
    /// The chooser's variables as this process sees them.
    static Environment fromProcess();
};

/// Picks the backend for a session. A known name in MURALTO_WALLPAPER_BACKEND wins (an
/// unknown one is ignored). Otherwise the entries of XDG_CURRENT_DESKTOP (colon-separated,
/// lower-cased, matched by substring) are tried in order, then KDE_SESSION_VERSION (Plasma)
/// and SWAYSOCK (sway). What is left is a Wayland session (XDG_SESSION_TYPE "wayland"), which
/// gets swaybg when its PATH has it and else the null backend, or an X11 session, which gets
/// the root-window pixmap.
WallpaperBackend chooseWallpaperBackend(const Environment& environment);

/// What the backends talk to. A member may be null when no backend that needs it is made.
struct WallpaperServices {
    std::shared_ptr<ProcessRunner> runner;     ///< runs the desktops' tools
    std::shared_ptr<PlasmaShell> plasma;       ///< the Plasma shell
    std::shared_ptr<ProcessList> processes;    ///< the user's running programs
    std::string configHome;                    ///< $XDG_CONFIG_HOME, or ~/.config
    std::shared_ptr<ChildProcesses> children;  ///< programs that run beside this one (swaybg)
};

/// Makes the setter for a backend.
std::unique_ptr<WallpaperSetter> makeWallpaperSetter(WallpaperBackend backend,
                                                     const WallpaperServices& services);

/// Whether the session is an X11 one, whose root window shows a wallpaper when the desktop
/// does not draw its own: DISPLAY is set and XDG_SESSION_TYPE does not say "wayland".
bool isX11Session(const Environment& environment);

/// Why a session that gets the null backend has no wallpaper to set, naming what it is.
std::string unsupportedSessionReason(const Environment& environment);

/// The setter for a session, running real tools and talking to the real session bus.
std::unique_ptr<WallpaperSetter> chooseWallpaperSetter(const Environment& environment);
/// The real services: tools killed after QProcessRunner's deadline, the session bus, /proc,
/// forked children and the configuration folder the environment names.
WallpaperServices realWallpaperServices();

}  // namespace muralto::platform
