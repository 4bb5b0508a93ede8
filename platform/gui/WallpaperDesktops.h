#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/Processes.h"
#include "platform/gui/WallpaperSetter.h"

namespace muralto::platform {

/// A backend whose desktop caches the wallpaper by path. Each change hands the desktop
/// a fresh copy of the bitmap (see makeFreshCopy), because these desktops keep showing what
/// they cached for a path that they have already seen.
class FreshCopyWallpaperSetter : public WallpaperSetter {
public:
    Result<> setWallpaper(const WallpaperJob& job) final;

protected:
    /// Tells the desktop to show the file at path (a fresh copy of the job's bitmap), and
    /// checks that it took it.
    virtual Result<> show(const std::string& path, const WallpaperJob& job) = 0;
};

/// A fresh-copy backend that runs an external tool.
class ToolWallpaperSetter : public FreshCopyWallpaperSetter {
protected:
    explicit ToolWallpaperSetter(std::shared_ptr<ProcessRunner> runner)
        : runner_(std::move(runner)) {}
    ProcessRunner& runner() { return *runner_; }

private:
    std::shared_ptr<ProcessRunner> runner_;
};

/// The desktops configured through gsettings keys of one background schema.
struct GsettingsDesktop {
    std::string name;            ///< backend name
    std::string schema;          ///< e.g. "org.gnome.desktop.background"
    std::string pictureKey;      ///< the key that names the picture
    bool pictureIsUri = true;    ///< whether pictureKey takes a file:// URI or a plain path
    std::string optionalUriKey;  ///< a further URI key that older versions lack, or empty

    static GsettingsDesktop gnome();     ///< GNOME, Unity, Budgie
    static GsettingsDesktop cinnamon();  ///< Cinnamon
    static GsettingsDesktop mate();      ///< MATE
};

/// Sets picture-options ('centered' or 'wallpaper'), a solid black background colour and the
/// picture through `gsettings set`, then reads the picture back with `gsettings get`: gsettings
/// exits with 0 also when it could not store the change (no dconf to commit to). A failure on
/// the optional key is not an error.
class GsettingsWallpaperSetter : public ToolWallpaperSetter {
public:
    GsettingsWallpaperSetter(GsettingsDesktop desktop, std::shared_ptr<ProcessRunner> runner)
        : ToolWallpaperSetter(std::move(runner)), desktop_(std::move(desktop)) {}
    std::string_view name() const override { return desktop_.name; }

protected:
    Result<> show(const std::string& path, const WallpaperJob& job) override;

private:
    Result<> set(const std::string& key, const std::string& value);
    /// Whether the key reads back as value (the text a GVariant string holds).
    Result<> holds(const std::string& key, const std::string& value);

    GsettingsDesktop desktop_;
};

/// XFCE: sets a solid black colour (color-style 0, rgba1), image-style (1 centred, 2 tiled)
/// and last-image of every backdrop workspace that `xfconf-query -c xfce4-desktop -l` lists,
/// then reads each last-image back. No workspace listed means no desktop draws a backdrop.
class XfceWallpaperSetter : public ToolWallpaperSetter {
public:
    explicit XfceWallpaperSetter(std::shared_ptr<ProcessRunner> runner)
        : ToolWallpaperSetter(std::move(runner)) {}
    std::string_view name() const override { return "xfce"; }

protected:
    Result<> show(const std::string& path, const WallpaperJob& job) override;
};

/// The file manager that draws the LXDE or LXQt desktop, and where it keeps the desktop's
/// background colour.
struct PcmanfmDesktop {
    std::string name;        ///< backend name
    std::string program;     ///< "pcmanfm" or "pcmanfm-qt"
    std::string filePrefix;  ///< the profile's settings files: those named so, ".conf" last
    std::string group;       ///< the settings group of the colour
    std::string colourKey;   ///< the key of the colour

    static PcmanfmDesktop lxde();
    static PcmanfmDesktop lxqt();
};

/// The profile of the program's desktop manager ("<program> --desktop", with --profile or -p
/// naming the profile, else "default") among the command lines; nothing when none runs.
std::optional<std::string> desktopManagerProfile(
    const std::vector<std::vector<std::string>>& commandLines, const std::string& program);

/// LXQt and LXDE: `pcmanfm-qt` or `pcmanfm` with --set-wallpaper and --wallpaper-mode, only
/// while that program's desktop manager runs: without it the tool changes nothing (pcmanfm
/// even waits on an error window of its own). The background colour is set to black in the
/// profile's settings, before the change (for a desktop that reads them then) and after it (as
/// the desktop writes its own settings back when it takes the wallpaper).
class PcmanfmWallpaperSetter : public ToolWallpaperSetter {
public:
    PcmanfmWallpaperSetter(PcmanfmDesktop desktop, std::shared_ptr<ProcessRunner> runner,
                           std::shared_ptr<ProcessList> processes, std::string configHome)
        : ToolWallpaperSetter(std::move(runner)),
          desktop_(std::move(desktop)),
          processes_(std::move(processes)),
          configHome_(std::move(configHome)) {}
    std::string_view name() const override { return desktop_.name; }

protected:
    Result<> show(const std::string& path, const WallpaperJob& job) override;

private:
    void blackBackground(const std::string& profile) const;

    PcmanfmDesktop desktop_;
    std::shared_ptr<ProcessList> processes_;
    std::string configHome_;
};

/// The bg argument for sway: swaymsg joins its arguments into one command, sway's parser takes
/// the path out of the double quotes as it stands (a \" stays two characters), and sway then
/// expands it as a shell word. So every character a shell treats specially gets a backslash.
/// Fails for a path with a control character other than a tab, which sway's parser breaks the
/// command at.
Result<std::string> swayPathArgument(const std::string& path);

/// sway: `swaymsg output * bg "<path>" center|tile #000000` (see swayPathArgument); sway's
/// answer on standard output says whether it took the command.
class SwayWallpaperSetter : public ToolWallpaperSetter {
public:
    explicit SwayWallpaperSetter(std::shared_ptr<ProcessRunner> runner)
        : ToolWallpaperSetter(std::move(runner)) {}
    std::string_view name() const override { return "sway"; }

protected:
    Result<> show(const std::string& path, const WallpaperJob& job) override;
};

}  // namespace muralto::platform
