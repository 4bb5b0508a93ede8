// muralto_bench_picture: the benchmark driver of the program's picture code (composition,
// bitmap, whole update, metafiles) and the maker of what it is measured on. It links Qt Gui
// and the picture code only, so a composition is timed as a process that loads what an update
// needs and nothing else; it draws off screen.

#include <QGuiApplication>

#include "bench/GuiCommands.h"

int main(int argc, char** argv) {
    using namespace muralto::bench;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication application(argc, argv);
    return dispatch(argc, argv,
                    {{"make-jpeg", makeJpegCommand},
                     {"compose", composeCommand},
                     {"update", updateCommand},
                     {"wmf-play", wmfPlayCommand},
                     {"make-wmf", makeWmfCommand},
                     {"make-hostile", makeHostileCommand}});
}
