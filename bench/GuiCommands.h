#pragma once

#include "bench/CommandSupport.h"

namespace muralto::bench {

// The commands of muralto_bench_picture, the driver of the program's picture code, which needs a
// QGuiApplication (fonts, codecs). Outputs and exit statuses as muralto_bench's.

/// make-jpeg OUT WIDTH HEIGHT [SEED]: a photo-like JPEG (writePhotoJpeg).
int makeJpegCommand(const Arguments& args);
/// compose IN OUT SCREEN_WIDTH SCREEN_HEIGHT: composes IN for the screen with its caption
/// (relative to IN's folder), through the functions an update uses, and writes the bitmap to
/// OUT as an update does.
int composeCommand(const Arguments& args);
/// update DIR BITMAP SCREEN_WIDTH SCREEN_HEIGHT: one whole update over the pictures of DIR with
/// the caption on, writing to BITMAP and showing nothing; prints "update: " and its result
/// (shown, failed, no image) and "error: " with why it failed.
int updateCommand(const Arguments& args);

/// wmf-play FILE WIDTH HEIGHT [BITMAP]: loads the metafile (or any picture) FILE for a target
/// of WIDTH x HEIGHT as an update does; prints "wmf-play: " with the milliseconds the load took,
/// the process's peak resident set in MB and the picture's size, and writes the picture to
/// BITMAP when given.
int wmfPlayCommand(const Arguments& args);
/// make-wmf OUT SHAPES: a metafile of 1920 x 1080 at 96 DPI with SHAPES shapes of every kind
/// the player draws (polygons, ellipses, pies, rounded rectangles, lines, text) and one 256 x
/// 256 bitmap of 24 bits, to measure the player on.
int makeWmfCommand(const Arguments& args);
/// make-hostile OUT KIND COUNT [POINTS]: a picture made to cost far more than its size: zigzag
/// (COUNT polygons of POINTS points spiking across a 1920 x 1080 frame), polyline or dashed
/// (COUNT random points, a pen 2 units wide), fonts (COUNT groups of an unknown font and two
/// letters), patterns (COUNT 1024 x 1024 pattern brushes never deleted), tiff or eps-tiff (a
/// black COUNT x COUNT RGB TIFF in one deflated strip, alone or as an EPS file's preview).
int makeHostileCommand(const Arguments& args);

}  // namespace muralto::bench
