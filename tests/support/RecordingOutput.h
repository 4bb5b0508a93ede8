#pragma once

#include <QImage>

#include <functional>
#include <string>
#include <vector>

#include "imaging/ImageUpdater.h"

namespace muralto::test {

/// Records the size of every wallpaper bitmap and saver frame it is given.
class RecordingOutput : public imaging::ImageOutput {
public:
    void showWallpaper(const std::string& bitmapPath, std::int32_t, QSize,
                       WallpaperDone done) override {
        wallpapers.push_back(QImage(QString::fromStdString(bitmapPath)).size());
        if (duringShow)
            duringShow();
        if (holdWallpapers)
            held.push_back(std::move(done));
        else
            done(answer);
    }
    void showFrame(const imaging::SaverFrame& frame) override {
        frames.push_back(frame.picture.size());
    }
    bool canShowWallpaper(std::string* reason) const override {
        ++asked;
        if (!unsupportedReason.empty())
            *reason = unsupportedReason;
        return unsupportedReason.empty();
    }

    std::vector<QSize> wallpapers, frames;
    std::function<void()> duringShow;              ///< runs while a wallpaper is shown
    imaging::WallpaperShown answer{true, {}, {}};  ///< what each wallpaper comes to
    bool holdWallpapers = false;  ///< keep the outcomes in held instead of telling them at once
    std::vector<WallpaperDone> held;
    std::string unsupportedReason;  ///< set: the session's wallpaper cannot be set
    mutable int asked = 0;          ///< how often canShowWallpaper was asked
};

}  // namespace muralto::test
