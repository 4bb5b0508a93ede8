// muralto_bench_gui: the benchmark driver of the program's picture code (composition, bitmap,
// whole update), of the options window's directory list, of the whole program's event loop
// during its updates, and the maker of what they are measured on. It draws off screen, but for
// the whole program.

#include <QApplication>
#include <QGuiApplication>
#include <cstring>
#include <memory>

#include "bench/DirListCommands.h"
#include "bench/GuiCommands.h"
#include "bench/StallCommand.h"

int main(int argc, char** argv) {
    using namespace muralto::bench;
    // The stall command runs the whole program on the display; the others draw off screen.
    const bool program = argc > 1 && std::strcmp(argv[1], "stall") == 0;
    if (!program)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Only the directory list and the program need widgets; the picture commands keep the
    // lighter application.
    const bool widgets = program || (argc > 1 && std::strcmp(argv[1], "dir-list") == 0);
    const auto application = widgets ? std::make_unique<QApplication>(argc, argv)
                                     : std::make_unique<QGuiApplication>(argc, argv);
    return dispatch(argc, argv,
                    {{"make-jpeg", makeJpegCommand},
                     {"compose", composeCommand},
                     {"update", updateCommand},
                     {"wmf-play", wmfPlayCommand},
                     {"make-wmf", makeWmfCommand},
                     {"dir-list", dirListCommand},
                     {"make-folder", makeFolderCommand},
                     {"stall", stallCommand}});
}
