#include "imaging/PictureLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include "imaging/EpsPreview.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegHeader.h"
#include "imaging/TiffHeader.h"
#include "imaging/wmf/WmfPlayer.h"

namespace muralto::imaging {

namespace {

/// JPEG streams with more segments before their first scan than this are not handed to the
/// image reader, whose JPEG plugin takes time growing with the square of their number (11 s
/// for 100,000 comments); the decoder of our own reads any number at once.
constexpr std::int64_t kMaxReaderJpegSegments = 4096;

std::string failure(const std::string& path, const std::string& reason) {
    return "cannot load picture '" + path + "': " + reason;
}

/// Why a file of this mode is not read as a picture; empty for a regular file.
std::string notRegular(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return std::strerror(EISDIR);
    return "it is no regular file";
}

/// Opens path as given in bytes, so names that are not valid UTF-8 open too. Nothing but a
/// regular file is read: the file is opened without waiting (a FIFO without a writer would
/// block the open for good), checked through the open descriptor, and read through it.
std::string openPicture(const std::string& path, QFile& file) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::strerror(errno);
    struct stat st {};
    std::string error;
    if (::fstat(fd, &st) != 0) {
        error = std::strerror(errno);
    } else {
        error = notRegular(st.st_mode);
    }
    const int flags = error.empty() ? ::fcntl(fd, F_GETFL) : 0;
    if (error.empty() && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0))
        error = std::strerror(errno);
    if (!error.empty()) {
        ::close(fd);
        return error;
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

/// Bits a pixel takes in the format that a picture decodes to; 32 where the reader does not
/// tell before reading (GIF and WebP, which decode to 32 bits).
int bitsPerPixel(QImage::Format format) {
    return format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
}

/// Memory that decoding a picture of declared size (as stored) to requested size may take: the
/// decoded picture in its format (JPEG decoders shrink it while decoding), a 32-bit copy of it
/// when its format is narrower (the scaler works on 32 bits; wider formats are narrowed in
/// place), the scaled picture, its upright or opaque copy, and the decoder's buffers (a JPEG
/// decoder's coefficients, or decoderBytes that the caller knows of).
std::int64_t decodeCost(QSize declared, QSize requested, QImage::Format format,
                        const JpegHeader* jpeg, std::int64_t decoderBytes) {
    std::int64_t decoded = pixels(declared);
    std::int64_t buffers = decoderBytes;
    if (jpeg) {
        const int shrink = jpegShrink(declared, requested);
        decoded = std::int64_t((declared.width() + shrink - 1) / shrink) *
                  ((declared.height() + shrink - 1) / shrink);
        if (jpeg->buffersCoefficients())
            buffers = jpeg->coefficientBytes;
    }
    const int bits = bitsPerPixel(format);
    const std::int64_t widened = bits < 32 ? decoded * 4 : 0;
    const std::int64_t scaled = requested == declared ? 0 : pixels(requested) * 4;
    return (decoded * bits + 7) / 8 + widened + scaled + pixels(requested) * 4 + buffers;
}

std::string sizeText(QSize size) {
    return std::to_string(size.width()) + " x " + std::to_string(size.height()) + " pixels";
}

/// Why a picture of this declared size must not be decoded; empty when it may.
std::string refusal(QSize declared, QSize requested, QImage::Format format, const JpegHeader* jpeg,
                    const DecodeLimits& limits, std::int64_t decoderBytes = 0) {
    if (pixels(declared) > limits.pixels) {
        return "the picture is too large (" + sizeText(declared) + ")";
    }
    if (decodeCost(declared, requested, format, jpeg, decoderBytes) > limits.memory) {
        return "decoding the picture (" + sizeText(declared) +
               (jpeg && jpeg->progressive ? ", progressive" : "") + ") would need more than " +
               std::to_string(limits.memory >> 20) + " MB of memory";
    }
    return {};
}

/// The picture in a 32-bit format that the smooth scaler takes without a copy of its own:
/// wider formats (16 bits a channel) are narrowed in place, narrower ones copied once.
bool narrowForScaling(QImage& image) {
    const QImage::Format format = image.format();
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied)
        return true;
    image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                            : QImage::Format_RGB32);
    return !image.isNull();
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
    if (!narrowForScaling(image))
        return {{}, failure(path, "not enough memory to convert the picture")};
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
                                      const DecodeLimits& limits, const std::string& path) {
    const auto turn = fromExif(jpeg.orientation);
    const Sizes sizes = sizesFor(QSize(jpeg.width, jpeg.height), turn, target);
    if (sizes.declared.isEmpty())
        return LoadedPicture{{}, failure(path, "the picture declares no size")};
    if (std::string reason =
            refusal(sizes.declared, sizes.requested, QImage::Format_RGB32, &jpeg, limits);
        !reason.empty())
        return LoadedPicture{{}, failure(path, reason)};
    ScaledJpeg direct =
        decodeScaledJpeg(file.handle(), sizes.requested, limits.memory, limits.stop);
    if (direct.status == ScaledJpeg::Status::Decoded)
        return LoadedPicture{upright(std::move(direct.image), turn), {}};
    if (direct.status == ScaledJpeg::Status::Failed)
        return LoadedPicture{{}, failure(path, direct.error)};
    if (jpeg.segments > kMaxReaderJpegSegments) {
        return LoadedPicture{{},
                             failure(path, "the picture has too many segments (" +
                                               std::to_string(jpeg.segments) + ")")};
    }
    return std::nullopt;
}

/// The size that the reader declares before reading, as the picture will be read. BMP files
/// whose rows run top-down declare a negative height, which the reader passes on as it is.
QSize declaredSize(QImageReader& reader) {
    const QSize size = reader.size();
    if (reader.format() == "bmp" && size.height() < 0 && size.height() > INT_MIN)
        return {size.width(), -size.height()};
    return size;
}

/// Memory that the reader's decoder for the picture in file takes besides the picture, as far
/// as the picture's header tells: a TIFF decoder's largest strip or tile. Whatever the file
/// is named, the reader decodes what its first bytes say.
std::int64_t decoderBytes(QIODevice& file) {
    if (!file.seek(0) || !looksLikeTiff(file.peek(4)))
        return 0;
    return tiffDecoderBytes(file);
}

LoadedPicture loadWithReader(QIODevice& file, const JpegHeader* jpeg, TargetSize target,
                             const DecodeLimits& limits, const std::string& path) {
    const std::int64_t buffers = decoderBytes(file);
    if (!file.seek(0))
        return {{}, failure(path, file.errorString().toStdString())};
    QImageReader::setAllocationLimit(int(limits.memory >> 20));
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    reader.setQuality(75);  // the JPEG decoder's accurate DCT and smooth final scaling
    const QSize declared = declaredSize(reader);
    if (!declared.isValid() || declared.isEmpty())
        return {{}, failure(path, reader.errorString().toStdString())};
    const Sizes sizes = sizesFor(declared, reader.transformation(), target);
    if (std::string reason =
            refusal(declared, sizes.requested, reader.imageFormat(), jpeg, limits, buffers);
        !reason.empty())
        return {{}, failure(path, reason)};
    if (jpeg && sizes.requested != declared)
        reader.setScaledSize(sizes.requested);
    return decode(reader, sizes.fitted, path);
}

/// Bytes of the file from offset, when there are no more than kMaxWmfBytes of them.
std::optional<QByteArray> readSection(QFile& file, std::int64_t offset, std::int64_t length,
                                      std::string* error) {
    if (length > kMaxWmfBytes) {
        *error = "the picture is larger than " + std::to_string(kMaxWmfBytes >> 20) + " MB";
        return std::nullopt;
    }
    if (!file.seek(offset)) {
        *error = file.errorString().toStdString();
        return std::nullopt;
    }
    QByteArray bytes = file.read(length);
    if (bytes.size() != length) {
        *error = "the file ends early";
        return std::nullopt;
    }
    return bytes;
}

LoadedPicture loadWmfBytes(const QByteArray& bytes, TargetSize target, const DecodeLimits& limits,
                           const std::string& path) {
    WmfPicture picture = renderWmf(std::string_view(bytes.constData(), std::size_t(bytes.size())),
                                   target, limits.memory - bytes.size());
    if (!picture.error.empty())
        return {{}, failure(path, picture.error)};
    return {std::move(picture.image), {}};
}

/// A metafile drawn at the fitted size of its natural size.
LoadedPicture loadWmf(QFile& file, TargetSize target, const DecodeLimits& limits,
                      const std::string& path) {
    std::string error;
    const auto bytes = readSection(file, 0, file.size(), &error);
    return bytes ? loadWmfBytes(*bytes, target, limits, path)
                 : LoadedPicture{{}, failure(path, error)};
}

/// The TIFF or metafile preview of an EPS file with the binary header.
LoadedPicture loadEps(QFile& file, TargetSize target, const DecodeLimits& limits,
                      const std::string& path) {
    const bool tiffReadable = QImageReader::supportedImageFormats().contains("tiff");
    std::string error;
    const auto header =
        readSection(file, 0, std::min<qint64>(file.size(), kEpsHeaderBytes), &error);
    if (!header)
        return {{}, failure(path, error)};
    const EpsHeader eps =
        readEpsHeader(header->toStdString(), std::uint64_t(file.size()), tiffReadable);
    if (!eps.error.empty())
        return {{}, failure(path, eps.error)};
    const auto preview = readSection(file, eps.preview.offset, eps.preview.length, &error);
    if (!preview)
        return {{}, failure(path, error)};
    if (eps.preview.kind == EpsPreview::Kind::Wmf)
        return loadWmfBytes(*preview, target, limits, path);
    QBuffer buffer;
    buffer.setData(*preview);
    buffer.open(QIODevice::ReadOnly);
    return loadWithReader(buffer, nullptr, target, limits, path);
}

/// A picture that is no JPEG: a metafile, an EPS file's preview, or any the image reader reads.
LoadedPicture loadOther(QFile& file, TargetSize target, const DecodeLimits& limits,
                        const std::string& path) {
    if (!file.seek(0))
        return {{}, failure(path, file.errorString().toStdString())};
    const QByteArray start = file.peek(kEpsHeaderBytes);
    const std::string_view first(start.constData(), std::size_t(start.size()));
    if (looksLikeWmf(first))
        return loadWmf(file, target, limits, path);
    if (looksLikeBinaryEps(first))
        return loadEps(file, target, limits, path);
    return loadWithReader(file, nullptr, target, limits, path);
}

}  // namespace

LoadedPicture loadPicture(const std::string& path, TargetSize target, DecodeLimits limits) {
    QFile file;
    if (std::string error = openPicture(path, file); !error.empty()) {
        return {{}, failure(path, error)};
    }
    const JpegScan jpeg = readJpegHeader(file);
    if (jpeg.kind == JpegScan::Kind::Unusable)
        return {{}, failure(path, jpeg.error)};
    if (jpeg.kind == JpegScan::Kind::NotJpeg)
        return loadOther(file, target, limits, path);
    if (auto loaded = loadJpeg(file, jpeg.header, target, limits, path))
        return std::move(*loaded);
    return loadWithReader(file, &jpeg.header, target, limits, path);
}

}  // namespace muralto::imaging
