#include "platform/image/PagedImage.h"

#include "platform/PageBlocks.h"

namespace muralto::platform {

QImage pagedImage(QSize size, QImage::Format format) {
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return {};
    const qsizetype bits = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = (qsizetype(size.width()) * bits + 31) / 32 * 4;
    const auto bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
    PageBlock* block = bytes >= kPageBlockMinimum ? newPageBlock(bytes) : nullptr;
    if (!block)
        return QImage(size, format);
    return QImage(static_cast<uchar*>(block->data), size.width(), size.height(), bytesPerLine,
                  format, deletePageBlock, block);
}

}  // namespace muralto::platform
