// muralto_bench_gui: the benchmark driver of the program's picture code (composition, bitmap,
// whole update), of the options window's directory list, and the maker of what they are
// measured on. It draws off screen.

#include <QApplication>
#include <QGuiApplication>
#include <cstring>
#include <memory>

#include "bench/DirListCommands.h"
#include "bench/GuiCommands.h"

int main(int argc, char** argv) {
    using namespace muralto::bench;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Only the directory list needs widgets; the picture commands keep the lighter application.
    const bool widgets = argc > 1 && std::strcmp(argv[1], "dir-list") == 0;
    const auto application = widgets ? std::make_unique<QApplication>(argc, argv)
                                     : std::make_unique<QGuiApplication>(argc, argv);
    return dispatch(argc, argv,
                    {{"make-jpeg", makeJpegCommand},
                     {"compose", composeCommand},
                     {"update", updateCommand},
                     {"wmf-play", wmfPlayCommand},
                     {"make-wmf", makeWmfCommand},
                     {"dir-list", dirListCommand},
                     {"make-folder", makeFolderCommand}});
}
