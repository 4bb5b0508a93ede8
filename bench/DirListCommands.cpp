#include "bench/DirListCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "bench/StallMeter.h"
#include "ui/DirectoryControls.h"
#include "ui/FolderListModel.h"

namespace muralto::bench {
namespace {

constexpr int kSettleMs = 250;

std::string entryName(std::uint64_t index) {
    static const char* const kStems[] = {"IMG_", "img_", "Trip ", "DSC", "photo-"};
    return kStems[index % 5] + std::to_string(index);
}

}  // namespace

int dirListCommand(const Arguments& args) {
    if (args.size() != 1)
        return misuse("muralto_bench_gui dir-list FOLDER");
    QWidget window;
    const auto controls =
        ui::makeDirectoryControls(&window, QCoreApplication::applicationDirPath().toStdString());
    controls.Dir1->setGeometry(0, 0, 400, 300);
    window.resize(420, 360);
    window.show();
    QCoreApplication::processEvents();

    qint64 filledMs = -1;
    QElapsedTimer clock;
    QObject::connect(controls.Dir1, &ui::DirListBox::Listed, [&] {
        filledMs = clock.elapsed();
        QTimer::singleShot(kSettleMs, [] { QCoreApplication::quit(); });
    });
    StallMeter meter;
    clock.start();
    if (!controls.Dir1->setPath(args[0]))
        return failure("not a folder that can be listed: " + args[0]);
    const qint64 setPathMs = clock.elapsed();
    if (!controls.Dir1->listed())
        QApplication::exec();
    const ui::FolderListModel& model = controls.Dir1->model();
    std::printf("entries: %d\n", model.rowCount() - model.currentRow() - 1);
    std::printf("set-path-ms: %lld\n", static_cast<long long>(setPathMs));
    std::printf("filled-ms: %lld\n", static_cast<long long>(filledMs));
    std::printf("longest-stall-ms: %lld\n", static_cast<long long>(meter.longestStall()));
    return 0;
}

int makeFolderCommand(const Arguments& args) {
    const auto count = args.size() >= 2 ? number(args[1], 0, 10'000'000) : std::nullopt;
    const bool files = args.size() == 3 && args[2] == "files";
    if (!count || args.size() > 3 || (args.size() == 3 && !files && args[2] != "folders"))
        return misuse("muralto_bench_gui make-folder OUT COUNT [folders|files]");
    if (::mkdir(args[0].c_str(), 0755) != 0 && errno != EEXIST)
        return failure(args[0] + ": " + std::strerror(errno));
    for (std::uint64_t i = 1; i <= *count; ++i) {
        const std::string path = args[0] + "/" + entryName(i);
        int made = 0;
        if (files) {
            made = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (made >= 0)
                made = ::close(made);
        } else {
            made = ::mkdir(path.c_str(), 0755);
        }
        if (made != 0 && errno != EEXIST)
            return failure(path + ": " + std::strerror(errno));
    }
    return 0;
}

}  // namespace muralto::bench
