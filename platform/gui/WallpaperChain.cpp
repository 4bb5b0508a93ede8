#include "platform/gui/WallpaperChain.h"

#include <QMetaObject>

#include <utility>

#include "platform/HeapTrim.h"
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
    if (desktop) {
        outcome.shown = true;
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
    : chain_(std::move(chain)), receiver_(std::make_unique<QObject>()) {}

WallpaperWorker::~WallpaperWorker() {
    if (thread_.joinable())
        thread_.join();
    // The receiver goes after the thread: an outcome posted to it now is dropped with it.
}

void WallpaperWorker::start(WallpaperJob job, Done done) {
    if (running_.exchange(true)) {
        done({false, "the previous wallpaper change has not ended yet", {}});
        return;
    }
    if (thread_.joinable())
        thread_.join();  // the previous change has ended: only its thread is left to reap
    thread_ = std::thread([this, job = std::move(job), done = std::move(done)] {
        const WallpaperOutcome outcome = chain_->set(job);
        // The change's pictures were made and freed in this thread's own heap (the update's
        // canvas went with its own thread): give it back now, or the idle program keeps it
        // until the next change. The program then idles: what start-up and the update touched
        // of its code need not stay resident meanwhile. Both cost the windows nothing here.
        TrimHeap();
        TrimWorkingSet();
        QMetaObject::invokeMethod(
            receiver_.get(),
            [this, outcome, done] {
                running_ = false;
                done(outcome);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace muralto::platform
