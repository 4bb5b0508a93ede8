#pragma once

#include <memory>

#include "Program.h"
#include "ProgramOptionsHost.h"
#include "TrayIcon.h"
#include "WallpaperSetter.h"
#include "frmMuralto.h"

namespace muralto::app {

/// The program's real windows: the options window with its popup menu, the notification-area
/// icon, and the session around them. The options window is loaded when it is first needed,
/// once the settings it shows are loaded.
class QtWindows : public ProgramWindows {
public:
    /// boxes ask the options window's questions; registry keeps its placement; programDirectory
    /// is where its directory lists start; version goes into its caption.
    QtWindows(Program& program, const i18n::StringTable& strings, platform::MessageBoxes& boxes,
              platform::Registry& registry, std::string programDirectory,
              options::VersionNumbers version);

    /// The options window, loaded (with its icon) on the first call.
    ui::frmMuralto& options();
    TrayIcon& tray();

    // ProgramWindows
    imaging::CharMetrics measureCanvasFont() override;
    void restoreOptionsWindowPlacement() override;
    void addTrayIcon() override { tray().add(); }
    void showOptionsWindow() override { options().show(); }
    void restoreOptionsWindowIfMinimised() override;
    QSize screenSize() override;
    void notify(const std::string& text) override;

    // ProgramHost
    void removeTrayIcon() override;
    void saveOptionsWindowPlacement() override;
    void unloadOptionsWindow() override;
    void unloadImageWindow() override {}
    void setScreenSaverRunning(bool) override {}
    void showCursor(bool) override {}
    void saveGroups() override {}
    void endProcess() override;

private:
    const i18n::StringTable& strings_;
    std::string programDirectory_;
    options::VersionNumbers version_;
    ProgramOptionsHost host_;
    settings::RegistryTools placementTools_;
    std::unique_ptr<ui::frmMuralto> form_;
    std::unique_ptr<TrayIcon> tray_;
};

/// Shows composed pictures as the desktop's wallpaper through the session's backend.
class WallpaperOutput : public imaging::ImageOutput {
public:
    explicit WallpaperOutput(std::unique_ptr<platform::WallpaperSetter> setter)
        : setter_(std::move(setter)) {}

    bool showWallpaper(const std::string& bitmapPath, std::int32_t scaleFactor,
                       std::string* error) override;
    void showFrame(const QImage&, const imaging::CompositionRequest&) override {}
    bool canShowWallpaper(std::string* reason) const override {
        return setter_->canSetWallpaper(reason);
    }

private:
    std::unique_ptr<platform::WallpaperSetter> setter_;
};

}  // namespace muralto::app
