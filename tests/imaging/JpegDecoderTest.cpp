#include "imaging/JpegDecoder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/imaging/PictureFiles.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

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

/// The mean difference per colour channel between two RGB32 pictures of the same size.
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
    const std::string grey =
        test::encode(original.convertToFormat(QImage::Format_Grayscale8), "jpeg");
    struct Case {
        const char* name;
        std::string bytes;
        QSize size;
        Status status;
        std::int64_t limit = kLimit;
    };
    const Case cases[] = {
        {"as stored", jpeg, {1200, 900}, Status::Decoded},
        {"other shape", jpeg, {97, 13}, Status::Decoded},
        {"progressive", progressive, {700, 525}, Status::Decoded},
        {"grey", grey, {300, 225}, Status::Decoded},
        {"truncated", jpeg.substr(0, jpeg.size() * 3 / 4), {600, 450}, Status::Decoded},
        {"larger than stored", jpeg, {1201, 900}, Status::Failed},
        {"empty", "", {6, 4}, Status::Failed},
        {"damaged header", "\xFF\xD8\xFF\xC0" + std::string(40, '\x11'), {6, 4}, Status::Failed},
        // A progressive picture buffers all its coefficients, which this limit does not allow.
        {"over the memory limit", progressive, {6, 4}, Status::Failed, 4096},
        {"CMYK", test::cmykJpeg(32), {16, 1}, Status::Unsupported},
    };
    const muralto::test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.write("picture.jpg", c.bytes).string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ::lseek(fd, 7, SEEK_SET);  // the decoder reads from the start whatever the offset
        const ScaledJpeg decoded = decodeScaledJpeg(fd, c.size, c.limit);
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
