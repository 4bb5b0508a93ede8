#pragma once

#include "bench/CommandSupport.h"

namespace muralto::bench {

// The commands of muralto_bench_gui that measure the directory list of the options window. They
// need a QApplication (widgets).

/// dir-list FOLDER: makes the drive and directory lists in a window (off screen), points the
/// directory list at FOLDER and runs the event loop until its subfolders are in and shown.
/// Prints "entries: " (subfolders listed), "set-path-ms: " (the call itself), "filled-ms: "
/// (from the call until the list is filled) and "longest-stall-ms: " (the largest gap between
/// two ticks of a 10 ms timer from the call until 250 ms after the fill, less the 10 ms).
int dirListCommand(const Arguments& args);
/// make-folder OUT COUNT [folders|files]: creates the folder OUT holding COUNT entries (folders
/// by default) named as cameras and people name them ("IMG_1", "img_2", "Trip 3" ...).
int makeFolderCommand(const Arguments& args);

}  // namespace muralto::bench
