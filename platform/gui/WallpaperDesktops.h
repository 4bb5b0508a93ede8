#pragma once

#include <memory>
#include <string>

#include "WallpaperSetter.h"
#include "WallpaperTools.h"

namespace muralto::platform {

/// A backend whose desktop caches the wallpaper by path. Each change hands the desktop
/// a fresh copy of the bitmap (see makeFreshCopy), because these desktops keep showing what
/// they cached for a path that they have already seen.
class FreshCopyWallpaperSetter : public WallpaperSetter {
public:
    bool setWallpaper(const std::string& bitmapPath, Placement placement, std::string* error) final;

protected:
    /// Tells the desktop to show the file at path (a fresh copy of the bitmap).
    virtual bool show(const std::string& path, Placement placement, std::string* error) = 0;
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
/// picture through `gsettings set`. A failure on the optional key is not an error.
class GsettingsWallpaperSetter : public ToolWallpaperSetter {
public:
    GsettingsWallpaperSetter(GsettingsDesktop desktop, std::shared_ptr<ProcessRunner> runner)
        : ToolWallpaperSetter(std::move(runner)), desktop_(std::move(desktop)) {}
    std::string_view name() const override { return desktop_.name; }

protected:
    bool show(const std::string& path, Placement placement, std::string* error) override;

private:
    bool set(const std::string& key, const std::string& value, std::string* error);

    GsettingsDesktop desktop_;
};

/// XFCE: sets last-image and image-style (1 centred, 2 tiled) of every backdrop workspace
/// that `xfconf-query -c xfce4-desktop -l` lists.
class XfceWallpaperSetter : public ToolWallpaperSetter {
public:
    explicit XfceWallpaperSetter(std::shared_ptr<ProcessRunner> runner)
        : ToolWallpaperSetter(std::move(runner)) {}
    std::string_view name() const override { return "xfce"; }

protected:
    bool show(const std::string& path, Placement placement, std::string* error) override;
};

/// LXQt and LXDE: `pcmanfm-qt` or `pcmanfm` with --set-wallpaper and --wallpaper-mode.
class PcmanfmWallpaperSetter : public ToolWallpaperSetter {
public:
    /// program is "pcmanfm-qt" (LXQt) or "pcmanfm" (LXDE); name is the backend's name.
    PcmanfmWallpaperSetter(std::string name, std::string program,
                           std::shared_ptr<ProcessRunner> runner)
        : ToolWallpaperSetter(std::move(runner)),
          name_(std::move(name)),
          program_(std::move(program)) {}
    std::string_view name() const override { return name_; }

protected:
    bool show(const std::string& path, Placement placement, std::string* error) override;

private:
    std::string name_;
    std::string program_;
};

/// sway: `swaymsg output * bg "<path>" center|tile #000000`. swaymsg joins its arguments into
/// one command, so the path goes in double quotes for sway's own parser.
class SwayWallpaperSetter : public ToolWallpaperSetter {
public:
    explicit SwayWallpaperSetter(std::shared_ptr<ProcessRunner> runner)
        : ToolWallpaperSetter(std::move(runner)) {}
    std::string_view name() const override { return "sway"; }

protected:
    bool show(const std::string& path, Placement placement, std::string* error) override;
};

}  // namespace muralto::platform
