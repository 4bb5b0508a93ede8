#pragma once

#include <QImage>
#include <QSize>

namespace muralto::platform {

/// An image of the given size and format whose pixels (left as the system gives them, zeroed)
/// sit in a block of pages of its own from allocatePages when it is large: it costs
/// no page fault per 4 kB when first drawn into, and its memory goes back to the system as soon
/// as the last copy goes. Small images, and large ones when no block can be had, come from the
/// heap like any other. Null when there is no memory at all.
QImage pagedImage(QSize size, QImage::Format format);

}  // namespace muralto::platform
