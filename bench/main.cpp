// muralto_bench: the benchmark driver of the catalogue (scan, shuffle) and the process meter
// that bench/run uses. It links no Qt, so its processes start as lightly as the tools that it is
// compared with.

#include "bench/DriverCommands.h"

int main(int argc, char** argv) {
    using namespace muralto::bench;
    return dispatch(argc, argv,
                    {{"make-tree", makeTreeCommand},
                     {"make-hostile", makeHostileCommand},
                     {"scan", scanCommand},
                     {"shuffle", shuffleCommand},
                     {"measure", measureCommand},
                     {"resident", residentCommand},
                     {"window-start", windowStartCommand},
                     {"hive-read", hiveReadCommand},
                     {"groups", groupsCommand}});
}
