#pragma once

#include "bench/CommandSupport.h"

namespace muralto::bench {

// The commands of muralto_bench, the driver that needs no Qt, so that its processes start as
// lightly as the tools they are compared with. Each takes the arguments after the command's
// name, prints its results on standard output as "name: value" lines (or the lists asked for),
// reports misuse and failures on standard error, and returns the exit status: 0 done, 1
// failed, 2 misused.

/// make-tree DIR COUNT [--picture FILE]: the file tree of makeFileTree, its candidates holding
/// the bytes of FILE when given.
int makeTreeCommand(const Arguments& args);
/// make-hostile OUT: the hostile progressive JPEG.
int makeHostileCommand(const Arguments& args);
/// scan DIR [--list]: the catalogue's scan of DIR; prints the number of candidates, or with
/// --list the candidates themselves in the catalogue's order, one a line.
int scanCommand(const Arguments& args);
/// shuffle N [--seed S] [--runs R] [--check] [--print]: draws the play order of N entries R
/// times from seed S and prints the median time; --check also draws the plain pool from the same
/// seed and prints whether the permutations are identical; --print prints the permutation.
int shuffleCommand(const Arguments& args);
/// measure -- COMMAND...: runs COMMAND, output discarded; prints its wall time, peak memory and
/// exit status.
int measureCommand(const Arguments& args);
/// resident [--starts N] [--idle SECONDS] [--log FILE] -- COMMAND...: probeResident on the
/// display of $DISPLAY; prints each start's time, the idle memory and the idle CPU share.
int residentCommand(const Arguments& args);
/// window-start [--starts N] [--log FILE] -- COMMAND...: probeWindowStarts on the display of
/// $DISPLAY; prints each measured start's "map_ms: " and "paint_ms: ".
int windowStartCommand(const Arguments& args);
/// hive-read FILE: reads the hive file as the program's settings do; prints the time the read
/// took and the number of keys (the root not counted) and values.
int hiveReadCommand(const Arguments& args);
/// groups FOLDER COUNT [--lacking]: writes a hive of COUNT newsgroup entries into FOLDER, then
/// loads them as a start does and saves them as an end does (unchanged, then with one entry
/// edited); prints the time of each. With --lacking every entry misses one value, so that the
/// first save adds COUNT values ("save_adding_ms").
int groupsCommand(const Arguments& args);

}  // namespace muralto::bench
