#include "GuiCommands.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "BitmapWriter.h"
#include "Catalogue.h"
#include "Composer.h"
#include "CompositionGeometry.h"
#include "DirectoryLists.h"
#include "ImageUpdater.h"
#include "PhotoJpeg.h"
#include "PoolShuffle.h"

namespace muralto::bench {

namespace {

struct ScreenSize {
    int width = 0;
    int height = 0;
};

std::optional<ScreenSize> screenSize(const std::string& width, const std::string& height) {
    const auto w = number(width, 1, 100000);
    const auto h = number(height, 1, 100000);
    if (!w || !h)
        return std::nullopt;
    return ScreenSize{int(*w), int(*h)};
}

/// Shows nothing: the driver measures the update up to the wallpaper call.
class NoOutput : public imaging::ImageOutput {
public:
    void showWallpaper(const std::string&, std::int32_t, QSize, WallpaperDone done) override {
        done({true, {}, {}});
    }
    void showFrame(const QImage&, const imaging::CompositionRequest&) override {}
};

const char* resultName(imaging::UpdateResult result) {
    switch (result) {
        case imaging::UpdateResult::Busy:
            return "busy";
        case imaging::UpdateResult::NoImage:
            return "no image";
        case imaging::UpdateResult::Failed:
            return "failed";
        case imaging::UpdateResult::Unsupported:
            return "unsupported";
        case imaging::UpdateResult::Shown:
            return "shown";
        case imaging::UpdateResult::Pending:
            return "pending";
    }
    return "unknown";
}

}  // namespace

int makeJpegCommand(const Arguments& args) {
    const bool counted = args.size() == 3 || args.size() == 4;
    const auto size = counted ? screenSize(args[1], args[2]) : std::nullopt;
    const auto seed = args.size() == 4 ? number(args[3], 0, UINT32_MAX) : std::optional(1ul);
    if (!size || !seed)
        return misuse("muralto_bench_gui make-jpeg OUT WIDTH HEIGHT [SEED]");
    const std::string error =
        writePhotoJpeg(args[0], size->width, size->height, static_cast<std::uint32_t>(*seed));
    return error.empty() ? 0 : failure(error);
}

int composeCommand(const Arguments& args) {
    const auto screen = args.size() == 4 ? screenSize(args[2], args[3]) : std::nullopt;
    if (!screen)
        return misuse("muralto_bench_gui compose IN OUT SCREEN_WIDTH SCREEN_HEIGHT");
    const imaging::CharMetrics chars = imaging::measureCharMetrics(imaging::canvasFont());
    imaging::TargetSize target = imaging::targetSize(screen->width, screen->height, 1);
    target.height = imaging::heightWithCaptionRoom(target.height, chars.glCharHeight);
    const imaging::CompositionRequest request{args[0], folderOf(args[0]), target, 1, true, chars};
    const imaging::Composition composition = imaging::composeImage(request);
    if (!composition.ok())
        return failure(composition.error);
    const std::string error = imaging::writeBitmap(composition.canvas, args[1]);
    return error.empty() ? 0 : failure(error);
}

int updateCommand(const Arguments& args) {
    const auto screen = args.size() == 4 ? screenSize(args[2], args[3]) : std::nullopt;
    if (!screen)
        return misuse("muralto_bench_gui update DIR BITMAP SCREEN_WIDTH SCREEN_HEIGHT");
    SeededRandom random(1);
    imaging::MountDirectoryLists lists(folderOf(args[1]));
    imaging::Catalogue catalogue(random, lists);
    NoOutput output;
    imaging::ImageUpdater updater(catalogue, output, args[1]);
    imaging::UpdateRequest request;
    request.settings.Valid = true;
    request.settings.Path = args[0].ends_with('/') ? args[0] : args[0] + '/';
    request.settings.AddPath = true;
    request.area = QSize(screen->width, screen->height);
    request.chars = imaging::measureCharMetrics(imaging::canvasFont());
    request.programDirectory = folderOf(args[1]);
    const imaging::UpdateResult result = updater.UpdateImage(request);
    std::printf("update: %s\n", resultName(result));
    if (!updater.lastError().empty())
        std::printf("error: %s\n", updater.lastError().c_str());
    return 0;
}

}  // namespace muralto::bench
