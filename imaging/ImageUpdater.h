#pragma once

#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "imaging/Catalogue.h"
#include "imaging/Composer.h"
#include "imaging/SaverFrame.h"
#include "platform/JobRunner.h"
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

/// What an update's work came to, away from the user-interface thread.
struct UpdateWork {
    UpdateResult result = UpdateResult::NoImage;
    std::string error;  ///< why it failed
    SaverFrame frame;   ///< the saver modes' frame
    std::int32_t scaleFactor = 1;
};

/// The work of one update, which may take long (a scan of a large tree, the decoding of a large
/// picture, a folder whose mount does not answer) and touches nothing of the windows: refreshes
/// the catalogue when needed, takes the next picture, composes it, then writes the bitmap
/// (wallpaper) or makes the frame (saver). A picture that cannot be loaded does not cost the
/// whole delay: the next picture of the cycle is tried, at most once through the cycle. Once
/// stop is set it gives up at its next step, writing nothing.
UpdateWork doUpdateWork(Catalogue& catalogue, const UpdateRequest& request,
                        const std::string& bitmapPath, const std::atomic<bool>& stop);

/// The image engine's one operation: choose the next picture, compose it and show it. The work
/// runs on the job runner; its result is shown on the thread that started the update.
class ImageUpdater {
public:
    /// bitmapPath is where the wallpaper bitmap is written. The catalogue is used by the
    /// runner's work while an update runs, and by nothing else meanwhile.
    ImageUpdater(Catalogue& catalogue, ImageOutput& output, std::string bitmapPath,
                 platform::JobRunner& jobs);
    ~ImageUpdater();
    ImageUpdater(const ImageUpdater&) = delete;
    ImageUpdater& operator=(const ImageUpdater&) = delete;

    /// One update, with the request as it is now. On failure the previous wallpaper or frame
    /// stays. A call during a running update returns Busy at once, and so does every call
    /// after cancel. An update whose work or wallpaper has not come back before the call
    /// returns gives Pending, and its outcome goes to the finished handler when it comes.
    UpdateResult UpdateImage(const UpdateRequest& request);

    /// Receives the outcome of each update that returned Pending.
    void setFinishedHandler(std::function<void(UpdateResult)> handler) {
        finished_ = std::move(handler);
    }
    /// Empties the catalogue's image list: now, or once the running update's work is back.
    void resetImageList();
    /// Asks the running work to give up at its next step; its result is dropped, and no update
    /// starts any more. For the program's end.
    void cancel();

    /// Why the last update failed; empty after a success.
    const std::string& lastError() const { return lastError_; }
    /// What the output had to tell in the last update (see WallpaperShown::notice).
    const std::string& lastNotice() const { return lastNotice_; }
    const std::string& bitmapPath() const { return bitmapPath_; }

private:
    /// Back on the starting thread: hands the work's result to the output.
    void workDone(const UpdateWork& work, const UpdateRequest& request);
    void wallpaperDone(const WallpaperShown& shown);
    void finish(UpdateResult result);

    Catalogue& catalogue_;
    ImageOutput& output_;
    std::string bitmapPath_;
    platform::JobRunner& jobs_;
    std::string lastError_;
    std::string lastNotice_;
    bool bUpdating = false;
    bool workRunning_ = false;  ///< the job runner's work has the catalogue
    bool resetPending_ = false;
    /// Set while UpdateImage runs; the outcome, when it came during the call.
    bool inCall_ = false;
    std::optional<UpdateResult> outcomeAtOnce_;
    std::function<void(UpdateResult)> finished_;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    /// Expires with the updater, so an outcome that comes later finds nobody to tell.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace muralto::imaging
