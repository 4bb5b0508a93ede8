#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <string>

#include "Catalogue.h"
#include "Composer.h"
#include "ProgramSettings.h"

namespace muralto::imaging {

/// Where a composed picture goes: the desktop's wallpaper, or the screen saver's frame.
class ImageOutput {
public:
    virtual ~ImageOutput() = default;
    /// Makes the bitmap file the wallpaper; scaleFactor 1 shows it centred, 2 or more tiled.
    virtual bool showWallpaper(const std::string& bitmapPath, std::int32_t scaleFactor,
                               std::string* error) = 0;
    /// Shows the canvas as the saver's frame.
    virtual void showFrame(const QImage& canvas, const CompositionRequest& request) = 0;
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
};

/// The image engine's one operation: choose the next picture, compose it and show it.
class ImageUpdater {
public:
    /// bitmapPath is where the wallpaper bitmap is written.
    ImageUpdater(Catalogue& catalogue, ImageOutput& output, std::string bitmapPath);

    /// One update. A picture that cannot be loaded does not cost the whole delay: the next
    /// picture of the cycle is tried, at most once through the cycle. On failure the previous
    /// wallpaper or frame stays. A call during a running update returns Busy at once.
    UpdateResult UpdateImage(const UpdateRequest& request);

    /// Why the last update failed; empty after a success.
    const std::string& lastError() const { return lastError_; }
    const std::string& bitmapPath() const { return bitmapPath_; }

private:
    UpdateResult update(const UpdateRequest& request);
    UpdateResult show(const Composition& composition, const CompositionRequest& request,
                      const UpdateRequest& update);

    Catalogue& catalogue_;
    ImageOutput& output_;
    std::string bitmapPath_;
    std::string lastError_;
    bool bUpdating = false;
};

}  // namespace muralto::imaging
