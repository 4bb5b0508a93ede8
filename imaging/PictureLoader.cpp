#include "PictureLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "JpegDecoder.h"
#include "JpegHeader.h"

namespace muralto::imaging {

namespace {

constexpr std::int64_t kBytesPerPixel = 4;  // decoders produce at most 32 bits a pixel

std::string failure(const std::string& path, const std::string& reason) {
    return "cannot load picture '" + path + "': " + reason;
}

/// Opens path as given in bytes, so names that are not valid UTF-8 open too.
std::string openPicture(const std::string& path, QFile& file) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (S_ISDIR(st.st_mode)) {
        err = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        err = EINVAL;
    }
    if (err != 0) {
        ::close(fd);
        return std::strerror(err);
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString().toStdString();
    }
    return {};
}

std::int64_t pixels(QSize size) {
    return std::int64_t(size.width()) * size.height();
}

/// The largest power of two, at most 8, by which a JPEG decoder can shrink declared while
/// staying at least as large as requested: the decoder's output is never larger than
/// declared divided by it.
int jpegShrink(QSize declared, QSize requested) {
    const double factor = std::min(double(declared.width()) / requested.width(),
                                   double(declared.height()) / requested.height());
    int shrink = 1;
    while (shrink < 8 && shrink * 2 <= factor)
        shrink *= 2;
    return shrink;
}

/// Memory that decoding a picture of declared size (as stored) to requested size may take.
std::int64_t decodeCost(QSize declared, QSize requested, const std::optional<JpegHeader>& jpeg) {
    std::int64_t decoded = pixels(declared);
    std::int64_t buffers = 0;
    if (jpeg) {
        const int shrink = jpegShrink(declared, requested);
        decoded = std::int64_t((declared.width() + shrink - 1) / shrink) *
                  ((declared.height() + shrink - 1) / shrink);
        if (jpeg->buffersCoefficients())
            buffers = jpeg->coefficientBytes;
    }
    const std::int64_t scaled = requested == declared ? 0 : pixels(requested);
    return (decoded + scaled) * kBytesPerPixel + buffers;
}

std::string sizeText(QSize size) {
    return std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels";
}

/// Why a picture of this declared size must not be decoded; empty when it may.
std::string refusal(QSize declared, QSize requested, const std::optional<JpegHeader>& jpeg) {
    if (pixels(declared) > kMaxDeclaredPixels) {
        return "the picture is too large (" + sizeText(declared) + ")";
    }
    if (decodeCost(declared, requested, jpeg) > kDecodeMemoryLimit) {
        return "decoding the picture (" + sizeText(declared) +
               (jpeg && jpeg->progressive ? ", progressive" : "") + ") would need more than " +
               std::to_string(kDecodeMemoryLimit >> 20) + " MB of memory";
    }
    return {};
}

/// The picture on black where it is transparent, as opaque RGB32.
QImage toOpaqueRgb(QImage image) {
    if (!image.hasAlphaChannel()) {
        if (image.format() != QImage::Format_RGB32)
            image.convertTo(QImage::Format_RGB32);
        return image;
    }
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::black);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    return opaque;
}

/// Reads the picture and brings it to exactly the fitted size, upright and opaque.
LoadedPicture decode(QImageReader& reader, QSize fitted, const std::string& path) {
    QImage image;
    if (!reader.read(&image))
        return {{}, failure(path, reader.errorString().toStdString())};
    if (image.size() != fitted) {
        image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull())
            return {{}, failure(path, "not enough memory to scale the picture")};
    }
    return {toOpaqueRgb(std::move(image)), {}};
}

/// The picture turned as the orientation says, the way the image reader's automatic
/// transformation turns it: mirrored and flipped first, then turned a quarter clockwise.
QImage upright(QImage image, QImageIOHandler::Transformations orientation) {
    if (orientation == QImageIOHandler::TransformationNone)
        return image;
    if (orientation == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = std::move(image).mirrored(orientation & QImageIOHandler::TransformationMirror,
                                      orientation & QImageIOHandler::TransformationFlip);
    if (orientation & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

/// The turn an EXIF orientation asks for, as the image reader names it.
QImageIOHandler::Transformations fromExif(int orientation) {
    static constexpr QImageIOHandler::Transformation kTurns[] = {
        QImageIOHandler::TransformationNone,
        QImageIOHandler::TransformationMirror,
        QImageIOHandler::TransformationRotate180,
        QImageIOHandler::TransformationFlip,
        QImageIOHandler::TransformationFlipAndRotate90,
        QImageIOHandler::TransformationRotate90,
        QImageIOHandler::TransformationMirrorAndRotate90,
        QImageIOHandler::TransformationRotate270};
    return orientation >= 1 && orientation <= 8 ? kTurns[orientation - 1]
                                                : QImageIOHandler::TransformationNone;
}

/// The sizes of one load: the picture as stored, and the size to decode it to (the fitted
/// size of the upright picture, turned back as stored).
struct Sizes {
    QSize declared, fitted, requested;
};

Sizes sizesFor(QSize declared, QImageIOHandler::Transformations turn, TargetSize target) {
    const bool turned = turn & QImageIOHandler::TransformationRotate90;
    const QSize fitted = fittedSize(turned ? declared.transposed() : declared, target);
    return {declared, fitted, turned ? fitted.transposed() : fitted};
}

/// A JPEG decoded straight to the fitted size, which holds no picture larger than the result
/// and needs none of the image reader's plugins. Nothing when the picture is left to the
/// reader (CMYK and YCCK, which it converts).
std::optional<LoadedPicture> loadJpeg(QFile& file, const JpegHeader& jpeg, TargetSize target,
                                      const std::string& path) {
    const auto turn = fromExif(jpeg.orientation);
    const Sizes sizes = sizesFor(QSize(jpeg.width, jpeg.height), turn, target);
    if (sizes.declared.isEmpty())
        return LoadedPicture{{}, failure(path, "the picture declares no size")};
    if (std::string reason = refusal(sizes.declared, sizes.requested, jpeg); !reason.empty())
        return LoadedPicture{{}, failure(path, reason)};
    ScaledJpeg direct = decodeScaledJpeg(file.handle(), sizes.requested, kDecodeMemoryLimit);
    if (direct.status == ScaledJpeg::Status::Decoded)
        return LoadedPicture{upright(std::move(direct.image), turn), {}};
    if (direct.status == ScaledJpeg::Status::Failed)
        return LoadedPicture{{}, failure(path, direct.error)};
    return std::nullopt;
}

LoadedPicture loadWithReader(QFile& file, const std::optional<JpegHeader>& jpeg, TargetSize target,
                             const std::string& path) {
    if (!file.seek(0))
        return {{}, failure(path, file.errorString().toStdString())};
    QImageReader::setAllocationLimit(int(kDecodeMemoryLimit >> 20));
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setQuality(75);  // the JPEG decoder's accurate DCT and smooth final scaling
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty())
        return {{}, failure(path, reader.errorString().toStdString())};
    const Sizes sizes = sizesFor(declared, reader.transformation(), target);
    if (std::string reason = refusal(declared, sizes.requested, jpeg); !reason.empty())
        return {{}, failure(path, reason)};
    if (jpeg && sizes.requested != declared)
        reader.setScaledSize(sizes.requested);
    return decode(reader, sizes.fitted, path);
}

}  // namespace

LoadedPicture loadPicture(const std::string& path, TargetSize target) {
    QFile file;
    if (std::string error = openPicture(path, file); !error.empty()) {
        return {{}, failure(path, error)};
    }
    const std::optional<JpegHeader> jpeg = readJpegHeader(file);
    if (jpeg) {
        if (auto loaded = loadJpeg(file, *jpeg, target, path))
            return std::move(*loaded);
    }
    return loadWithReader(file, jpeg, target, path);
}

}  // namespace muralto::imaging
