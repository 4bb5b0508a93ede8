// muralto_bench_gui: the benchmark driver of the program's picture code (composition, bitmap,
// whole update) and the maker of the pictures it is measured on. It draws off screen.

#include <QGuiApplication>

#include "GuiCommands.h"

int main(int argc, char** argv) {
    using namespace muralto::bench;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return dispatch(
        argc, argv,
        {{"make-jpeg", makeJpegCommand}, {"compose", composeCommand}, {"update", updateCommand}});
}
