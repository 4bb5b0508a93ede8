#pragma once

#include <memory>

#include "Program.h"
#include "TrayIcon.h"
#include "WallpaperSetter.h"
#include "frmMuralto.h"

namespace muralto::app {

/// The program's real windows: the options window with its popup menu, the notification-area
/// icon, and the session around them.
class QtWindows : public ProgramWindows {
public:
    QtWindows(Program& program, const i18n::StringTable& strings);

    ui::frmMuralto& options() { return *form_; }
    TrayIcon& tray() { return *tray_; }

    // ProgramWindows
    imaging::CharMetrics measureCanvasFont() override;
    void restoreOptionsWindowPlacement() override {}
    void addTrayIcon() override { tray_->add(); }
    void showOptionsWindow() override { form_->show(); }
    void restoreOptionsWindowIfMinimised() override;
    QSize screenSize() override;
    void notify(const std::string& text) override { tray_->notify(QString::fromStdString(text)); }

    // ProgramHost
    void removeTrayIcon() override { tray_->remove(); }
    void saveOptionsWindowPlacement() override {}
    void unloadOptionsWindow() override { form_->close(); }
    void unloadImageWindow() override {}
    void setScreenSaverRunning(bool) override {}
    void showCursor(bool) override {}
    void saveGroups() override {}
    void endProcess() override;

private:
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
