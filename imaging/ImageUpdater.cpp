#include "imaging/ImageUpdater.h"

#include "imaging/BitmapWriter.h"
#include "imaging/CompositionGeometry.h"

namespace muralto::imaging {

ImageUpdater::ImageUpdater(Catalogue& catalogue, ImageOutput& output, std::string bitmapPath)
    : catalogue_(catalogue), output_(output), bitmapPath_(std::move(bitmapPath)) {
    catalogue_.setOwnBitmap(bitmapPath_);
}

UpdateResult ImageUpdater::UpdateImage(const UpdateRequest& request) {
    if (bUpdating)
        return UpdateResult::Busy;
    bUpdating = true;
    const UpdateResult result = update(request);
    if (result != UpdateResult::Pending)
        bUpdating = false;
    return result;
}

UpdateResult ImageUpdater::update(const UpdateRequest& request) {
    lastError_.clear();
    lastNotice_.clear();
    if (request.makesWallpaper && !output_.canShowWallpaper(&lastError_))
        return UpdateResult::Unsupported;
    settings::ImageSettings settings = request.settings;
    TargetSize target =
        targetSize(request.area.width(), request.area.height(), settings.ScaleFactor);
    const bool caption = settings.AddPath && !request.preview;
    if (caption)
        target.height = heightWithCaptionRoom(target.height, request.chars.glCharHeight);

    std::size_t attempts = 0;
    std::size_t limit = 0;
    while (auto choice = catalogue_.nextImage(settings, request.programDirectory)) {
        // Later attempts take the next picture of this cycle instead of scanning again: the
        // rest of this cycle, then one whole new cycle, so any picture that loads is found.
        settings.ReScan = false;
        if (attempts == 0) {
            limit = catalogue_.playOrder().size() + catalogue_.imageList().size() - 1;
        }
        if (target.width <= 0 || target.height <= 0) {
            lastError_ = "the screen has no room for a picture at this scale factor";
            return UpdateResult::NoImage;
        }
        const CompositionRequest compose{choice->path,         choice->directory, target,
                                         settings.ScaleFactor, caption,           request.chars};
        const Composition composition = composeImage(compose);
        if (composition.ok())
            return show(composition, compose, request);
        lastError_ = choice->path + ": " + composition.error;
        if (++attempts >= limit)
            return UpdateResult::Failed;
    }
    return lastError_.empty() ? UpdateResult::NoImage : UpdateResult::Failed;
}

UpdateResult ImageUpdater::show(const Composition& composition, const CompositionRequest& compose,
                                const UpdateRequest& request) {
    if (!request.makesWallpaper) {
        output_.showFrame(composeSaverFrame(composition.canvas, compose, request.area));
        return UpdateResult::Shown;
    }
    if (std::string error = writeBitmap(composition.canvas, bitmapPath_); !error.empty()) {
        lastError_ = error;
        return UpdateResult::Failed;
    }
    inShow_ = true;
    shownAtOnce_.reset();
    output_.showWallpaper(bitmapPath_, compose.scaleFactor, request.area,
                          [this, alive = std::weak_ptr<int>(alive_)](const WallpaperShown& shown) {
                              if (!alive.expired())
                                  wallpaperDone(shown);
                          });
    inShow_ = false;
    return shownAtOnce_.value_or(UpdateResult::Pending);
}

void ImageUpdater::wallpaperDone(const WallpaperShown& shown) {
    lastError_ = shown.error;
    lastNotice_ = shown.notice;
    const UpdateResult result = shown.shown ? UpdateResult::Shown : UpdateResult::Failed;
    if (inShow_) {
        shownAtOnce_ = result;
        return;
    }
    bUpdating = false;
    if (finished_)
        finished_(result);
}

}  // namespace muralto::imaging
