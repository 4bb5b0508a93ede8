#include "imaging/JpegHeader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "imaging/JpegDecoder.h"
#include "tests/imaging/PictureFiles.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using Kind = JpegScan::Kind;

/// A buffer that counts the bytes read from it.
class CountingBuffer : public QBuffer {
public:
    explicit CountingBuffer(const QByteArray& data) : bytes_(data) {
        setBuffer(&bytes_);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    qint64 bytesRead() const { return read_; }

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 count = QBuffer::readData(data, max);
        read_ += std::max<qint64>(count, 0);
        return count;
    }

private:
    QByteArray bytes_;
    qint64 read_ = 0;
};

QByteArray segments(int marker, int count, int payload) {
    const QByteArray one = QByteArray("\xFF") + char(marker) + char((payload + 2) >> 8) +
                           char((payload + 2) & 0xFF) + QByteArray(payload, '\0');
    return one.repeated(count);
}

const QByteArray kStart("\xFF\xD8", 2);
const QByteArray kFrame("\xFF\xC0\x00\x0B\x08\x00\x10\x00\x20\x01\x01\x11\x00", 13);  // 32 x 16

struct Stream {
    const char* name;
    Kind kind;
    QSize declared;
    std::function<QByteArray()> head;
};

QByteArray photo(const QByteArray& segments) {
    const auto jpeg =
        QByteArray::fromStdString(test::encode(test::solid({40, 30}, Qt::red), "jpeg"));
    return jpeg.left(2) + segments + jpeg.mid(2);
}

class JpegHeaderTest : public ::testing::TestWithParam<Stream> {};

TEST_P(JpegHeaderTest, FindsTheHeaderWithinItsBoundOrSaysWhy) {
    const Stream& c = GetParam();
    CountingBuffer data(c.head());
    const JpegScan scan = readJpegHeader(data);
    ASSERT_EQ(scan.kind, c.kind) << scan.error;
    EXPECT_LE(data.bytesRead(), kMaxJpegHeaderBytes);
    if (c.kind == Kind::Header)
        EXPECT_EQ(QSize(scan.header.width, scan.header.height), c.declared);
    else
        EXPECT_EQ(scan.error.empty(), c.kind == Kind::NotJpeg);
}

using enum Kind;
const Stream kStreams[] = {
    // An ICC profile at its largest, in 255 APP2 segments.
    {"LargestIccProfile", Header, {40, 30}, [] { return photo(segments(0xE2, 255, 65533)); }},
    {"PastTheBound", Unusable, {}, [] { return kStart + segments(0xE2, 400, 65533) + kFrame; }},
    {"Gif", NotJpeg, {}, [] { return QByteArray("GIF89a"); }},
};

INSTANTIATE_TEST_SUITE_P(Streams, JpegHeaderTest, ::testing::ValuesIn(kStreams),
                         muralto::test::byName);

using Status = ScaledJpeg::Status;
constexpr std::int64_t kLimit = 256LL << 20;

/// Smooth ramps, a different one in every channel, where a scaler's errors show as differences.
QImage ramps(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(255 * x / w, 255 * y / h, 255 * (x + y) / (w + h)));
    }
    return image;
}

double meanDifference(const QImage& a, const QImage& b) {
    double total = 0;
    for (qsizetype i = 0; i < a.sizeInBytes(); ++i)
        total += std::abs(a.constBits()[i] - b.constBits()[i]);
    return total / (3.0 * a.width() * a.height());
}

TEST(JpegDecoderTest, DecodesToTheSizeAskedForAsQtWouldOrFailsCleanly) {
    const QImage original = ramps(1200, 900);
    const std::string jpeg = test::encode(original, "jpeg");
    const std::string progressive = test::encode(original, "jpeg", true);
    struct Case {
        const char* name;
        std::string bytes;
        QSize size;
        Status status;
        std::int64_t limit = kLimit;
        bool stopped = false;  ///< the program is ending
    };
    const Case cases[] = {
        {"progressive", progressive, {700, 525}, Status::Decoded},
        {"truncated", jpeg.substr(0, jpeg.size() * 3 / 4), {600, 450}, Status::Decoded},
        {"larger than stored", jpeg, {1201, 900}, Status::Failed},
        // A progressive picture buffers all its coefficients, which this limit does not allow.
        {"over the memory limit", progressive, {6, 4}, Status::Failed, 4096},
        {"CMYK", test::cmykJpeg(32), {16, 1}, Status::Unsupported},
        {"stopped", jpeg, {600, 450}, Status::Failed, kLimit, true},
    };
    const muralto::test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.write("picture.jpg", c.bytes).string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ::lseek(fd, 7, SEEK_SET);  // the decoder reads from the start whatever the offset
        const std::atomic<bool> stop = c.stopped;
        const ScaledJpeg decoded = decodeScaledJpeg(fd, c.size, c.limit, &stop);
        ::close(fd);
        ASSERT_EQ(decoded.status, c.status) << decoded.error;
        if (c.status != Status::Decoded) {
            EXPECT_TRUE(decoded.image.isNull());
            EXPECT_TRUE(c.status == Status::Unsupported || !decoded.error.empty());
            continue;
        }
        ASSERT_EQ(decoded.image.size(), c.size);
        ASSERT_EQ(decoded.image.format(), QImage::Format_RGB32);
        const QImage reference =
            QImage::fromData(QByteArray::fromStdString(c.bytes), "jpeg")
                .scaled(c.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB32);
        EXPECT_LT(meanDifference(decoded.image, reference), 1.0);
    }
}

}  // namespace
}  // namespace muralto::imaging
