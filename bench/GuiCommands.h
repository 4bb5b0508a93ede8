#pragma once

#include "CommandSupport.h"

namespace muralto::bench {

// The commands of muralto_bench_gui, the driver of the program's picture code, which needs a
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

}  // namespace muralto::bench
