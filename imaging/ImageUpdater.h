#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "imaging/Catalogue.h"
#include "imaging/Composer.h"
#include "imaging/SaverFrame.h"
#include "settings/ProgramSettings.h"

namespace muralto::imaging {

/// What became of showing a wallpaper.
struct WallpaperShown {
    bool shown = false;
    std::string error;   ///< why it was not shown
    std::string notice;  ///< for the user: a way of showing it failed (the same text for the
                         ///< same cause); it may have been shown another way
};

/// Where a composed picture goes: the desktop's wallpaper, or the screen saver's frame.
class ImageOutput {
public:
    virtual ~ImageOutput() = default;
    using WallpaperDone = std::function<void(const WallpaperShown&)>;
    /// Makes the bitmap file the wallpaper of a screen of the given size (device pixels);
    /// scaleFactor 1 shows it centred, 2 or more tiled. done is called once with the outcome:
    /// before the call returns, or later from the event loop when the desktop takes its time.
    virtual void showWallpaper(const std::string& bitmapPath, std::int32_t scaleFactor,
                               QSize screen, WallpaperDone done) = 0;
    /// Shows the frame, already made for the saver window's size.
    virtual void showFrame(const SaverFrame& frame) = 0;
    /// Whether showWallpaper can work in this session at all. When it cannot, *reason (when
    /// not null) says why; composing a wallpaper for it would be wasted work.
    virtual bool canShowWallpaper(std::string* reason) const {
        (void)reason;
        return true;
    }
};

/// What one update reads of the running program.
struct UpdateRequest {
    bool makesWallpaper = true;        ///< wallpaper and options modes; false in the saver modes
    bool preview = false;              ///< the preview draws no caption and fits its own window
    settings::ImageSettings settings;  ///< the record in force, copied
    QSize area;                        ///< the screen, or the preview window, in pixels
    CharMetrics chars;
    std::string programDirectory;
};

/// The outcome of one update.
enum class UpdateResult {
    Busy,         ///< an update was already running; nothing done
    NoImage,      ///< no candidate picture (or no room to draw one); nothing changed
    Failed,       ///< no picture of the cycle could be loaded, or the output failed
    Unsupported,  ///< the session's wallpaper cannot be set; nothing was composed
    Shown,        ///< a new wallpaper or frame is up
    Pending,      ///< the desktop is still taking the wallpaper; the outcome comes later
};

/// The image engine's one operation: choose the next picture, compose it and show it.
class ImageUpdater {
public:
    /// bitmapPath is where the wallpaper bitmap is written.
    ImageUpdater(Catalogue& catalogue, ImageOutput& output, std::string bitmapPath);

    /// One update. A picture that cannot be loaded does not cost the whole delay: the next
    /// picture of the cycle is tried, at most once through the cycle. On failure the previous
    /// wallpaper or frame stays. A call during a running update returns Busy at once; an
    /// update whose wallpaper the desktop is still taking returns Pending and runs on until
    /// its outcome goes to the finished handler.
    UpdateResult UpdateImage(const UpdateRequest& request);

    /// Receives the outcome (Shown or Failed) of each update that returned Pending.
    void setFinishedHandler(std::function<void(UpdateResult)> handler) {
        finished_ = std::move(handler);
    }

    /// Why the last update failed; empty after a success.
    const std::string& lastError() const { return lastError_; }
    /// What the output had to tell in the last update (see WallpaperShown::notice).
    const std::string& lastNotice() const { return lastNotice_; }
    const std::string& bitmapPath() const { return bitmapPath_; }

private:
    UpdateResult update(const UpdateRequest& request);
    UpdateResult show(const Composition& composition, const CompositionRequest& request,
                      const UpdateRequest& update);
    void wallpaperDone(const WallpaperShown& shown);

    Catalogue& catalogue_;
    ImageOutput& output_;
    std::string bitmapPath_;
    std::string lastError_;
    std::string lastNotice_;
    bool bUpdating = false;
    /// Set while the output is being called; its outcome, when it came during the call.
    bool inShow_ = false;
    std::optional<UpdateResult> shownAtOnce_;
    std::function<void(UpdateResult)> finished_;
    /// Expires with the updater, so an outcome that comes later finds nobody to tell.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace muralto::imaging
