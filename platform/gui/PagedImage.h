#pragma once

#include <QImage>
#include <QSize>

namespace muralto::platform {

/// An image of the given size and format whose pixels sit in a block of pages of its own
/// (allocatePages) when it is large, so that drawing into it costs no page fault per 4 kB and
/// its memory goes back to the system with the last copy; otherwise, and when no block can be
/// had, an image on the heap. The wallpaper setters' screen-sized pictures are made this way.
QImage pagedImage(QSize size, QImage::Format format);

}  // namespace muralto::platform
