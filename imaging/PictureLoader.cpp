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

}  // namespace

LoadedPicture loadPicture(const std::string& path, TargetSize target) {
    QFile file;
    if (std::string error = openPicture(path, file); !error.empty()) {
        return {{}, failure(path, error)};
    }
    std::optional<JpegHeader> jpeg = readJpegHeader(file);
    if (!file.seek(0))
        return {{}, failure(path, file.errorString().toStdString())};

    QImageReader::setAllocationLimit(int(kDecodeMemoryLimit >> 20));
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setQuality(75);  // the JPEG decoder's accurate DCT and smooth final scaling
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty()) {
        return {{}, failure(path, reader.errorString().toStdString())};
    }
    if (reader.format() != "jpeg")
        jpeg.reset();

    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize fitted = fittedSize(turned ? declared.transposed() : declared, target);
    const QSize requested = turned ? fitted.transposed() : fitted;
    if (std::string reason = refusal(declared, requested, jpeg); !reason.empty()) {
        return {{}, failure(path, reason)};
    }
    if (jpeg) {
        // Decoding straight to the fitted size holds no picture larger than the result, which
        // saves both the memory and the time of a full-size intermediate.
        ScaledJpeg direct = decodeScaledJpeg(file.handle(), requested, kDecodeMemoryLimit);
        if (direct.status == ScaledJpeg::Status::Decoded)
            return {upright(std::move(direct.image), reader.transformation()), {}};
        if (direct.status == ScaledJpeg::Status::Failed)
            return {{}, failure(path, direct.error)};
        // CMYK and YCCK pictures are left to the image reader, which converts them.
        if (requested != declared)
            reader.setScaledSize(requested);
    }
    return decode(reader, fitted, path);
}

}  // namespace muralto::imaging
