#include "imaging/ImageUpdater.h"

#include "imaging/BitmapWriter.h"
#include "imaging/CompositionGeometry.h"

namespace muralto::imaging {

namespace {

UpdateWork failedWork(UpdateResult result, std::string error) {
    UpdateWork work;
    work.result = result;
    work.error = std::move(error);
    return work;
}

/// The wallpaper's bitmap, or the saver's frame, from a composed canvas.
UpdateWork outputWork(const Composition& composition, const CompositionRequest& compose,
                      const UpdateRequest& request, const std::string& bitmapPath,
                      const std::atomic<bool>& stop) {
    UpdateWork work;
    work.scaleFactor = compose.scaleFactor;
    if (!request.makesWallpaper) {
        work.frame = composeSaverFrame(composition.canvas, compose, request.area);
        work.result = UpdateResult::Shown;
        return work;
    }
    if (stop)
        return failedWork(UpdateResult::Failed, "the program is ending");
    work.error = writeBitmap(composition.canvas, bitmapPath);
    work.result = work.error.empty() ? UpdateResult::Shown : UpdateResult::Failed;
    return work;
}

}  // namespace

UpdateWork doUpdateWork(Catalogue& catalogue, const UpdateRequest& request,
                        const std::string& bitmapPath, const std::atomic<bool>& stop) {
    settings::ImageSettings settings = request.settings;
    TargetSize target =
        targetSize(request.area.width(), request.area.height(), settings.ScaleFactor);
    const bool caption = settings.AddPath && !request.preview;
    if (caption)
        target.height = heightWithCaptionRoom(target.height, request.chars.glCharHeight);

    std::size_t attempts = 0;
    std::size_t limit = 0;
    std::string error;
    while (auto choice = catalogue.nextImage(settings, request.programDirectory, &stop)) {
        // Later attempts take the next picture of this cycle instead of scanning again: the
        // rest of this cycle, then one whole new cycle, so any picture that loads is found.
        settings.ReScan = false;
        if (attempts == 0)
            limit = catalogue.playOrder().size() + catalogue.imageList().size() - 1;
        if (target.width <= 0 || target.height <= 0) {
            return failedWork(UpdateResult::NoImage,
                              "the screen has no room for a picture at this scale factor");
        }
        CompositionRequest compose{choice->path,         choice->directory, target,
                                   settings.ScaleFactor, caption,           request.chars};
        compose.stop = &stop;
        const Composition composition = composeImage(compose);
        if (composition.ok())
            return outputWork(composition, compose, request, bitmapPath, stop);
        error = choice->path + ": " + composition.error;
        if (++attempts >= limit || stop)
            return failedWork(UpdateResult::Failed, error);
    }
    return failedWork(error.empty() ? UpdateResult::NoImage : UpdateResult::Failed, error);
}

ImageUpdater::ImageUpdater(Catalogue& catalogue, ImageOutput& output, std::string bitmapPath,
                           platform::JobRunner& jobs)
    : catalogue_(catalogue), output_(output), bitmapPath_(std::move(bitmapPath)), jobs_(jobs) {
    catalogue_.setOwnBitmap(bitmapPath_);
}

ImageUpdater::~ImageUpdater() {
    // Work still running uses the catalogue, which its owner keeps until the work has ended.
    stop_->store(true);
}

UpdateResult ImageUpdater::UpdateImage(const UpdateRequest& request) {
    if (bUpdating || *stop_)
        return UpdateResult::Busy;
    bUpdating = true;
    lastError_.clear();
    lastNotice_.clear();
    if (request.makesWallpaper && !output_.canShowWallpaper(&lastError_)) {
        bUpdating = false;
        return UpdateResult::Unsupported;
    }
    inCall_ = true;
    outcomeAtOnce_.reset();
    workRunning_ = true;
    auto work = std::make_shared<UpdateWork>();
    jobs_.start([work, request, &catalogue = catalogue_, path = bitmapPath_,
                 stop = stop_] { *work = doUpdateWork(catalogue, request, path, *stop); },
                [this, work, request, alive = std::weak_ptr<int>(alive_), stop = stop_] {
                    if (!alive.expired() && !*stop)
                        workDone(*work, request);
                });
    inCall_ = false;
    return outcomeAtOnce_.value_or(UpdateResult::Pending);
}

void ImageUpdater::workDone(const UpdateWork& work, const UpdateRequest& request) {
    workRunning_ = false;
    if (resetPending_) {
        resetPending_ = false;
        catalogue_.resetImageList();
    }
    lastError_ = work.error;
    if (work.result != UpdateResult::Shown)
        return finish(work.result);
    if (!request.makesWallpaper) {
        output_.showFrame(work.frame);
        return finish(UpdateResult::Shown);
    }
    output_.showWallpaper(bitmapPath_, work.scaleFactor, request.area,
                          [this, alive = std::weak_ptr<int>(alive_)](const WallpaperShown& shown) {
                              if (!alive.expired())
                                  wallpaperDone(shown);
                          });
}

void ImageUpdater::wallpaperDone(const WallpaperShown& shown) {
    lastError_ = shown.error;
    lastNotice_ = shown.notice;
    // A change that taught the output that this session cannot show a wallpaper at all is
    // told as such, once, and no further one is composed.
    if (std::string unused; !shown.shown && !output_.canShowWallpaper(&unused)) {
        lastNotice_.clear();
        return finish(UpdateResult::Unsupported);
    }
    finish(shown.shown ? UpdateResult::Shown : UpdateResult::Failed);
}

void ImageUpdater::finish(UpdateResult result) {
    bUpdating = false;
    if (inCall_)
        outcomeAtOnce_ = result;
    else if (finished_)
        finished_(result);
}

void ImageUpdater::resetImageList() {
    if (workRunning_)
        resetPending_ = true;
    else
        catalogue_.resetImageList();
}

void ImageUpdater::cancel() {
    stop_->store(true);
}

}  // namespace muralto::imaging
