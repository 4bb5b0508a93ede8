// muralto_bench_gui: the benchmark driver of the options window's directory list and newsgroup
// list and of the whole program's event loop during its updates, and the maker of the folders
// they are measured on. The lists draw off screen; the program runs on the display.

#include <QApplication>
#include <cstring>

#include "bench/DirListCommands.h"
#include "bench/GroupsPageCommand.h"
#include "bench/StallCommand.h"

int main(int argc, char** argv) {
    using namespace muralto::bench;
    if (argc <= 1 || std::strcmp(argv[1], "stall") != 0)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    return dispatch(argc, argv,
                    {{"dir-list", dirListCommand},
                     {"make-folder", makeFolderCommand},
                     {"groups-page", groupsPageCommand},
                     {"stall", stallCommand}});
}
