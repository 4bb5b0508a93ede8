#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/JobRunner.h"
#include "platform/gui/WallpaperSetter.h"

namespace muralto::platform {

/// What became of one change of the wallpaper.
struct WallpaperOutcome {
    bool shown = false;
    std::string error;   ///< why no wallpaper was set, when none was
    std::string notice;  ///< for the user when the desktop's own way failed: what failed and
                         ///< what was done instead; the same text for the same cause
};

/// The desktop's own way of setting the wallpaper, then the way that works without the
/// desktop's help (on X11 the root window), tried when the first one fails.
class WallpaperChain {
public:
    /// fallback may be null: there is no other way on this session. fallbackPlace says where
    /// the fallback puts the wallpaper, as in "sets it <place> instead".
    WallpaperChain(std::unique_ptr<WallpaperSetter> desktop,
                   std::unique_ptr<WallpaperSetter> fallback,
                   std::string fallbackPlace = "on the X11 root window");

    WallpaperOutcome set(const WallpaperJob& job);
    /// Whether the desktop's way can work at all (see WallpaperSetter::canSetWallpaper).
    Result<> canSetWallpaper() const { return desktop_->canSetWallpaper(); }
    const WallpaperSetter& desktop() const { return *desktop_; }
    const WallpaperSetter* fallback() const { return fallback_.get(); }

private:
    std::unique_ptr<WallpaperSetter> desktop_;
    std::unique_ptr<WallpaperSetter> fallback_;
    std::string fallbackPlace_;
};

/// The session's chain: its backend (see chooseWallpaperSetter), then on an X11 session whose
/// backend is a desktop's, the root window.
std::unique_ptr<WallpaperChain> chooseWallpaperChain(const Environment& environment);

/// Runs a chain's changes on a worker thread, one at a time, so that no desktop tool or bus
/// call holds up the thread that asks; each tool and call has a deadline of its own. The
/// outcome goes to the change's callback on the thread that made the worker, through its
/// event loop.
class WallpaperWorker {
public:
    /// Going, it waits for a change still running (its steps end by their deadlines); that
    /// change's callback is not called.
    explicit WallpaperWorker(std::shared_ptr<WallpaperChain> chain);

    using Done = std::function<void(const WallpaperOutcome&)>;
    /// Starts the change. While another one runs, done is told at once that nothing was set.
    void start(WallpaperJob job, Done done);
    /// Whether a change is running.
    bool busy() const { return running_; }
    const WallpaperChain& chain() const { return *chain_; }

private:
    std::shared_ptr<WallpaperChain> chain_;
    bool running_ = false;
    ThreadJobRunner jobs_;  ///< goes first, waiting for a change that still uses the chain
};

}  // namespace muralto::platform
