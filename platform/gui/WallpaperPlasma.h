#pragma once

#include <memory>
#include <string>

#include "platform/gui/WallpaperDesktops.h"

namespace muralto::platform {

/// The Plasma shell's scripting entry point.
class PlasmaShell {
public:
    virtual ~PlasmaShell() = default;
    /// Runs a desktop script in the shell.
    virtual Result<> evaluateScript(const std::string& script) = 0;
};

/// Calls org.kde.PlasmaShell.evaluateScript on the session bus (Plasma 5 and 6); a shell that
/// does not answer within kTimeoutMs counts as a failure.
class DBusPlasmaShell : public PlasmaShell {
public:
    static constexpr int kTimeoutMs = 10000;
    Result<> evaluateScript(const std::string& script) override;
};

/// Writes, over the bitmap at path, a picture of the screen's size tiled with that bitmap from
/// its top-left corner.
Result<> writeTiledScreen(const std::string& path, QSize screen);

/// KDE Plasma: a script sets every desktop's wallpaper plugin to org.kde.image, its Image to
/// the copy's file:// URL, FillMode to the Qt Quick Image fill mode (Pad = 6 for centred,
/// as Plasma's own "Centered" choice stores it) and Color to black. Plasma lays its tiles
/// (Tile = 3) out from the middle of the screen, so a tiled wallpaper is drawn here as one
/// bitmap of the whole screen (see writeTiledScreen) and shown centred; Tile is used only when
/// the screen's size is not known.
class PlasmaWallpaperSetter : public FreshCopyWallpaperSetter {
public:
    explicit PlasmaWallpaperSetter(std::shared_ptr<PlasmaShell> shell) : shell_(std::move(shell)) {}
    std::string_view name() const override { return "kde"; }

    static constexpr int kFillModeTiled = 3;
    static constexpr int kFillModeCentred = 6;

protected:
    Result<> show(const std::string& path, const WallpaperJob& job) override;

private:
    std::shared_ptr<PlasmaShell> shell_;
};

}  // namespace muralto::platform
