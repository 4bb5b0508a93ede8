#pragma once

#include <QImage>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <string>

namespace muralto::imaging {

/// What decodeScaledJpeg made of a stream.
struct ScaledJpeg {
    enum class Status {
        Decoded,      ///< image holds the picture at the size asked for
        Unsupported,  ///< a colour space that this decoder does not turn into RGB (CMYK, YCCK)
        Failed,       ///< the data is no JPEG, is damaged, or memory ran out; see error
    };
    Status status = Status::Failed;
    QImage image;       ///< opaque RGB32, as stored (no orientation applied)
    std::string error;  ///< why decoding failed
};

/// Decodes the JPEG file open at fd (read from its start, whatever the descriptor's offset)
/// straight to size, which must not be larger than the picture as stored. The decoder shrinks by
/// the smallest factor M/8 that keeps the picture at least as large as size, and every decoded
/// row goes at once into an area-averaging scaler, so no picture larger than the result is ever
/// held: the memory is the result plus a few rows. libjpeg's own buffers (large only for
/// progressive pictures) are held to memoryLimit bytes. Once stop (when given) is set, decoding
/// fails at the next row.
ScaledJpeg decodeScaledJpeg(int fd, QSize size, std::int64_t memoryLimit,
                            const std::atomic<bool>* stop = nullptr);

}  // namespace muralto::imaging
