#include "platform/gui/WallpaperChain.h"

#include <utility>

#include "platform/ProgramIdentity.h"
#include "platform/WorkingSet.h"
#include "platform/gui/WallpaperX11.h"

namespace muralto::platform {

namespace {

const std::string kTryAgain = std::string(kProgramTitle) + " tries again at each change.";

}  // namespace

WallpaperChain::WallpaperChain(std::unique_ptr<WallpaperSetter> desktop,
                               std::unique_ptr<WallpaperSetter> fallback, std::string fallbackPlace)
    : desktop_(std::move(desktop)),
      fallback_(std::move(fallback)),
      fallbackPlace_(std::move(fallbackPlace)) {}

WallpaperOutcome WallpaperChain::set(const WallpaperJob& job) {
    WallpaperOutcome outcome;
    const Result<> desktop = desktop_->setWallpaper(job);
    const std::string told = desktop_->takeNotice();
    if (desktop) {
        outcome.shown = true;
        outcome.notice = told;
        return outcome;
    }
    const std::string& reason = desktop.error();
    if (!fallback_) {
        outcome.error = reason;
        outcome.notice = "The wallpaper cannot be changed: " + reason + ". " + kTryAgain;
        return outcome;
    }
    const Result<> fallback = fallback_->setWallpaper(job);
    if (fallback) {
        outcome.shown = true;
        outcome.notice = "The desktop did not take the wallpaper: " + reason + ". " +
                         std::string(kProgramTitle) + " sets it " + fallbackPlace_ + " instead.";
        return outcome;
    }
    outcome.error = "the desktop did not take the wallpaper: " + reason + "; setting it " +
                    fallbackPlace_ + " failed too: " + fallback.error();
    outcome.notice = "The wallpaper cannot be changed: " + outcome.error + ". " + kTryAgain;
    return outcome;
}

std::unique_ptr<WallpaperChain> chooseWallpaperChain(const Environment& environment) {
    const WallpaperBackend backend = chooseWallpaperBackend(environment);
    std::unique_ptr<WallpaperSetter> fallback;
    if (backend != WallpaperBackend::None && backend != WallpaperBackend::X11 &&
        isX11Session(environment)) {
        fallback = std::make_unique<X11WallpaperSetter>();
    }
    return std::make_unique<WallpaperChain>(chooseWallpaperSetter(environment),
                                            std::move(fallback));
}

WallpaperWorker::WallpaperWorker(std::shared_ptr<WallpaperChain> chain)
    : chain_(std::move(chain)) {}

void WallpaperWorker::start(WallpaperJob job, Done done) {
    if (std::exchange(running_, true)) {
        done({false, "the previous wallpaper change has not ended yet", {}});
        return;
    }
    auto outcome = std::make_shared<WallpaperOutcome>();
    jobs_.start(
        [this, job = std::move(job), outcome] {
            *outcome = chain_->set(job);
            // The program idles after a change: what start-up and the update touched of its
            // code need not stay resident meanwhile. The runner gives back the heap.
            TrimWorkingSet();
        },
        [this, outcome, done = std::move(done)] {
            running_ = false;
            done(*outcome);
        });
}

}  // namespace muralto::platform
