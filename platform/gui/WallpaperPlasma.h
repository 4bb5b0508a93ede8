#pragma once

#include <memory>
#include <string>

#include "WallpaperDesktops.h"

namespace muralto::platform {

/// The Plasma shell's scripting entry point.
class PlasmaShell {
public:
    virtual ~PlasmaShell() = default;
    /// Runs a desktop script in the shell; false with the reason in *error when it fails.
    virtual bool evaluateScript(const std::string& script, std::string* error) = 0;
};

/// Calls org.kde.PlasmaShell.evaluateScript on the session bus (Plasma 5 and 6).
class DBusPlasmaShell : public PlasmaShell {
public:
    bool evaluateScript(const std::string& script, std::string* error) override;
};

/// KDE Plasma: a script sets every desktop's wallpaper plugin to org.kde.image, its Image to
/// the copy's file:// URL, FillMode to the Qt Quick Image fill mode (Pad = 6 for centred,
/// Tile = 3 for tiled, as Plasma's own "Centered" and "Tiled" choices store them) and Color
/// to black.
class PlasmaWallpaperSetter : public FreshCopyWallpaperSetter {
public:
    explicit PlasmaWallpaperSetter(std::shared_ptr<PlasmaShell> shell) : shell_(std::move(shell)) {}
    std::string_view name() const override { return "kde"; }

    static constexpr int kFillModeTiled = 3;
    static constexpr int kFillModeCentred = 6;

protected:
    bool show(const std::string& path, Placement placement, std::string* error) override;

private:
    std::shared_ptr<PlasmaShell> shell_;
};

}  // namespace muralto::platform
