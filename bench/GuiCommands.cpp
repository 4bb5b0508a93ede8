#include "bench/GuiCommands.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>

#include "bench/MetafileRecords.h"
#include "bench/PhotoJpeg.h"
#include "bench/PoolShuffle.h"
#include "folders/DirectoryLists.h"
#include "imaging/BitmapWriter.h"
#include "imaging/Catalogue.h"
#include "imaging/Composer.h"
#include "imaging/CompositionGeometry.h"
#include "imaging/ImageUpdater.h"
#include "imaging/PictureLoader.h"

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
    void showFrame(const imaging::SaverFrame&) override {}
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

/// A 256 x 256 bitmap of 24 bits, drawn over the picture by a stretch record.
void addBitmap(MetafileRecords& out) {
    const int side = 256, stride = side * 3;
    out.record(0x0F43, 2 + 9 + 20 + std::size_t(stride * side) / 2);
    out.words({0x0020, 0x00CC, 0, side, side, 0, 0, 540, 960, 270, 480});
    out.words({40, 0, side, 0, side, 0, 1, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::string rows(std::size_t(stride * side), '\0');
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = char((i * 7 + i / stride * 3) & 0xFF);
    out.raw(rows);
}

/// One shape of each kind in turn, with a pen and brush of its own, spread over the frame.
void addShape(MetafileRecords& out, int index) {
    const int x = (index * 97) % 1800, y = (index * 61) % 1000, kind = index % 6;
    out.record(0x02FA, 5);  // a pen
    out.words({0, 1 + index % 4, 0, (index * 40) & 0xFFFF, (index * 13) & 0xFF});
    out.record(0x02FC, 4);  // a brush
    out.words({index % 7 == 0 ? 2 : 0, (index * 29) & 0xFFFF, (index * 5) & 0xFF, index % 6});
    out.record(0x012D, 1);  // the font keeps index 0
    out.words({1});
    out.record(0x012D, 1);
    out.words({2});
    if (kind == 0) {
        out.record(0x0324, 1 + 2 * 5);
        out.words({5, x, y, x + 120, y + 10, x + 90, y + 80, x + 30, y + 110, x - 10, y + 40});
    } else if (kind == 1) {
        out.record(0x0418, 4);
        out.words({y + 70, x + 100, y, x});
    } else if (kind == 2) {
        out.record(0x081A, 8);
        out.words({y, x + 50, y + 40, x + 100, y + 80, x + 100, y, x});
    } else if (kind == 3) {
        out.record(0x061C, 6);
        out.words({20, 20, y + 60, x + 140, y, x});
    } else if (kind == 4) {
        out.record(0x0325, 1 + 2 * 4);
        out.words({4, x, y, x + 60, y + 90, x + 120, y, x + 180, y + 90});
    } else {
        out.record(0x0521, 1 + 4 + 2);
        out.words({8});
        out.raw("Metafile");
        out.words({y + 40, x});
    }
    out.record(0x01F0, 1);
    out.words({1});
    out.record(0x01F0, 1);
    out.words({2});
}

/// The whole metafile: placeable and standard headers, the records, the end record.
std::string metafile(int shapes) {
    MetafileRecords records;
    records.record(0x020C, 2);  // the window extent
    records.words({1080, 1920});
    records.record(0x02FB, 9 + 16);  // a font 24 units high
    records.words({-24, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    records.record(0x012D, 1);
    records.words({0});
    for (int i = 0; i < shapes; ++i)
        addShape(records, i);
    addBitmap(records);
    records.record(0x0000, 0);
    return placeableMetafile(records, 3);
}

}  // namespace

int wmfPlayCommand(const Arguments& args) {
    const bool written = args.size() == 4;
    const auto screen = args.size() == 3 || written ? screenSize(args[1], args[2]) : std::nullopt;
    if (!screen)
        return misuse("muralto_bench_picture wmf-play FILE WIDTH HEIGHT [BITMAP]");
    const auto start = std::chrono::steady_clock::now();
    const imaging::LoadedPicture loaded =
        imaging::loadPicture(args[0], {screen->width, screen->height});
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (!loaded.ok())
        return failure(loaded.error);
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("wmf-play: %.1f ms, peak RSS %.1f MB, picture %d x %d\n", took.count(),
                double(usage.ru_maxrss) / 1024, loaded.image.width(), loaded.image.height());
    const std::string error = written ? imaging::writeBitmap(loaded.image, args[3]) : "";
    return error.empty() ? 0 : failure(error);
}

int makeWmfCommand(const Arguments& args) {
    const auto shapes = args.size() == 2 ? number(args[1], 0, 20000) : std::nullopt;
    if (!shapes)
        return misuse("muralto_bench_picture make-wmf OUT SHAPES");
    std::ofstream out(args[0], std::ios::binary);
    out << metafile(int(*shapes));
    return out.good() ? 0 : failure("cannot write " + args[0]);
}

int makeJpegCommand(const Arguments& args) {
    const bool counted = args.size() == 3 || args.size() == 4;
    const auto size = counted ? screenSize(args[1], args[2]) : std::nullopt;
    const auto seed = args.size() == 4 ? number(args[3], 0, UINT32_MAX) : std::optional(1ul);
    if (!size || !seed)
        return misuse("muralto_bench_picture make-jpeg OUT WIDTH HEIGHT [SEED]");
    const std::string error =
        writePhotoJpeg(args[0], size->width, size->height, static_cast<std::uint32_t>(*seed));
    return error.empty() ? 0 : failure(error);
}

int composeCommand(const Arguments& args) {
    const auto screen = args.size() == 4 ? screenSize(args[2], args[3]) : std::nullopt;
    if (!screen)
        return misuse("muralto_bench_picture compose IN OUT SCREEN_WIDTH SCREEN_HEIGHT");
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
        return misuse("muralto_bench_picture update DIR BITMAP SCREEN_WIDTH SCREEN_HEIGHT");
    SeededRandom random(1);
    imaging::MountDirectoryLists lists(folderOf(args[1]));
    imaging::Catalogue catalogue(random, lists);
    NoOutput output;
    platform::InlineJobRunner jobs;  // the update's work on this thread, as one process to time
    imaging::ImageUpdater updater(catalogue, output, args[1], jobs);
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
