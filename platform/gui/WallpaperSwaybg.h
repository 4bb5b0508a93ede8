#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/gui/ChildProcesses.h"
#include "platform/gui/WallpaperDesktops.h"

namespace muralto::platform {

/// Why swaybg cannot be run: it is not installed, and which package brings it.
std::string swaybgMissingReason();

/// swaybg's arguments: the picture on every output, centred or tiled from the output's
/// top-left corner, on black.
std::vector<std::string> swaybgArguments(const std::string& path, Placement placement);

/// How long a new swaybg runs beside the one it replaces. swaybg tells nobody when it has
/// drawn; what this program sees is only that it still runs. Started headless on a busy
/// two-core machine, swaybg showed its picture 0.2 to 0.4 s after its start (it connects, gets
/// each output's size, decodes the picture and commits one buffer per output); one that cannot
/// draw (no layer-shell, no compositor) ends well within that. So the old one ends once the new
/// one has run for the overlap, a few times the longest draw seen, and a new one that ends
/// within it has "ended at once". The overlap costs a second swaybg for its length and delays
/// the change's outcome as much, off the user-interface thread.
struct SwaybgTiming {
    std::chrono::milliseconds overlap{1000};
    std::chrono::milliseconds poll{20};  ///< how often the new one is looked at meanwhile
    std::function<void(std::chrono::milliseconds)> sleep = [](std::chrono::milliseconds time) {
        std::this_thread::sleep_for(time);
    };
};

/// Any Wayland compositor with the layer-shell protocol: the wallpaper is drawn by a swaybg,
/// a child of this program, started anew for each change (a fresh copy of the bitmap each
/// time, see FreshCopyWallpaperSetter) before the previous one ends, so that the screen never
/// shows the compositor's bare background between the two.
///
/// The first swaybg ending at once means this session cannot show one at all: the change
/// fails and canSetWallpaper says so from then on. A later one ending at once fails that change
/// only, and the previous one keeps drawing. A swaybg that died between two changes is told
/// once (takeNotice) and replaced at the next change.
class SwaybgWallpaperSetter : public FreshCopyWallpaperSetter {
public:
    explicit SwaybgWallpaperSetter(std::shared_ptr<ChildProcesses> children,
                                   SwaybgTiming timing = {})
        : children_(std::move(children)), timing_(std::move(timing)) {}
    /// Ends the swaybg that draws.
    ~SwaybgWallpaperSetter() override;
    std::string_view name() const override { return "swaybg"; }
    Result<> canSetWallpaper() const override;
    std::string takeNotice() override { return std::exchange(notice_, {}); }

protected:
    Result<> show(const std::string& path, const WallpaperJob& job) override;

private:
    /// Notes a swaybg that ended since the last change, and forgets it.
    void checkCurrent();
    /// Waits the overlap out; how the child ended when it did meanwhile.
    std::optional<std::string> endsWithinOverlap(int id);

    std::shared_ptr<ChildProcesses> children_;
    SwaybgTiming timing_;
    std::optional<int> current_;  ///< the swaybg that draws now
    bool drewOnce_ = false;
    std::string notice_;
    mutable std::mutex mutex_;  ///< guards unsupported_, read from the caller's thread
    std::string unsupported_;   ///< why this session cannot show a swaybg, once known
};

}  // namespace muralto::platform
