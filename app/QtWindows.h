#pragma once

#include <memory>

#include "app/Program.h"
#include "app/ProgramOptionsHost.h"
#include "app/TrayIcon.h"
#include "app/WakeRule.h"
#include "app/frmImage.h"
#include "platform/gui/WallpaperChain.h"
#include "ui/frmMuralto.h"

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
    /// The image window, loaded (hidden) on the first call.
    frmImage& image();

    // ProgramWindows
    imaging::CharMetrics measureCanvasFont() override;
    void restoreOptionsWindowPlacement() override;
    void addTrayIcon() override { tray().add(); }
    void showOptionsWindow() override { options().show(); }
    void restoreOptionsWindowIfMinimised() override;
    QSize screenSize() override;
    void notify(const std::string& text) override;
    void showSaverWindow() override { image().showFullScreen(); }
    void embedImageWindow(std::uint32_t host, QSize size) override {
        image().showInside(host, size);
    }
    std::uint32_t imageWindowId() override;
    QSize imageWindowSize() override;
    /// Lists the entries in the options window now, or when it loads: the saver modes never
    /// show it, and need not pay for loading it.
    void addGroups() override;

    // ProgramHost
    void removeTrayIcon() override;
    void saveOptionsWindowPlacement() override;
    void unloadOptionsWindow() override;
    void unloadImageWindow() override;
    void showCursor(bool show) override;
    void endProcess() override;

private:
    Program& program_;
    const i18n::StringTable& strings_;
    std::string programDirectory_;
    options::VersionNumbers version_;
    ProgramOptionsHost host_;
    settings::RegistryTools placementTools_;
    std::unique_ptr<ui::frmMuralto> form_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<frmImage> image_;
    CursorCounter cursor_;
    bool groupsWaiting_ = false;  ///< the entries are listed when the options window loads
};

/// Shows composed pictures as the desktop's wallpaper through the session's backends, on a
/// worker thread: the outcome comes back through the event loop.
class WallpaperOutput : public imaging::ImageOutput {
public:
    explicit WallpaperOutput(std::shared_ptr<platform::WallpaperChain> chain)
        : worker_(std::move(chain)) {}

    void showWallpaper(const std::string& bitmapPath, std::int32_t scaleFactor, QSize screen,
                       WallpaperDone done) override;
    void showFrame(const imaging::SaverFrame&) override {}
    bool canShowWallpaper(std::string* reason) const override {
        const platform::Result<> can = worker_.chain().canSetWallpaper();
        if (!can && reason)
            *reason = can.error();
        return static_cast<bool>(can);
    }

private:
    platform::WallpaperWorker worker_;
};

/// Shows composed pictures as the screen saver's frames in the image window.
class SaverFrameOutput : public imaging::ImageOutput {
public:
    explicit SaverFrameOutput(QtWindows& windows) : windows_(windows) {}

    void showWallpaper(const std::string&, std::int32_t, QSize, WallpaperDone done) override;
    /// Shows the frame in the image window's picture box.
    void showFrame(const imaging::SaverFrame& frame) override;

private:
    QtWindows& windows_;
};

}  // namespace muralto::app
