#include "JpegDecoder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "PictureFiles.h"
#include "TestSupport.h"

namespace muralto::imaging {
namespace {

using test::encode;
using test::near;

constexpr std::int64_t kLimit = 256LL << 20;

/// Four solid quarters: red, green above; blue, white below.
QImage quarters(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2, h = size.height() / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, size.width() - w, h, Qt::green);
    painter.fillRect(0, h, w, size.height() - h, Qt::blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::white);
    return image;
}

/// Smooth ramps in every channel, where a scaler's errors show as differences.
QImage ramps(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y,
                           qRgb(255 * x / size.width(), 255 * y / size.height(),
                                255 * (x + y) / (size.width() + size.height())));
        }
    }
    return image;
}

double meanDifference(const QImage& a, const QImage& b) {
    double total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
        }
    }
    return total / (3.0 * a.width() * a.height());
}

/// A CMYK JPEG, which libjpeg writes but does not turn into RGB on reading.
std::string cmykJpeg(int width, int height) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * 4, 0x80);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

class JpegDecoderTest : public ::testing::Test {
protected:
    /// Writes the bytes to a file and decodes it to size.
    ScaledJpeg decode(const std::string& bytes, QSize size, std::int64_t limit = kLimit) {
        const std::string path = dir.write("picture.jpg", bytes).string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        ::lseek(fd, 7, SEEK_SET);  // the decoder reads from the start whatever the offset
        ScaledJpeg result = decodeScaledJpeg(fd, size, limit);
        ::close(fd);
        return result;
    }

    muralto::test::TempDir dir;
};

TEST_F(JpegDecoderTest, DecodesToExactlyTheSizeAskedFor) {
    const std::string jpeg = encode(quarters({800, 600}), "jpeg");
    for (const QSize size : {QSize(800, 600), QSize(400, 300), QSize(533, 400), QSize(100, 75),
                             QSize(799, 599), QSize(97, 13), QSize(2, 2)}) {
        SCOPED_TRACE(size.width());
        const ScaledJpeg decoded = decode(jpeg, size);
        ASSERT_EQ(decoded.status, ScaledJpeg::Status::Decoded) << decoded.error;
        ASSERT_EQ(decoded.image.size(), size);
        EXPECT_EQ(decoded.image.format(), QImage::Format_RGB32);
        const int w = size.width(), h = size.height();
        EXPECT_TRUE(near(decoded.image.pixel(w / 4, h / 4), Qt::red));
        EXPECT_TRUE(near(decoded.image.pixel(3 * w / 4, h / 4), Qt::green));
        EXPECT_TRUE(near(decoded.image.pixel(w / 4, 3 * h / 4), Qt::blue));
        EXPECT_TRUE(near(decoded.image.pixel(3 * w / 4, 3 * h / 4), Qt::white));
    }
}

TEST_F(JpegDecoderTest, MatchesSmoothScalingOfTheWholePicture) {
    const QImage original = ramps({1200, 900});
    const std::string jpeg = encode(original, "jpeg");
    const QImage full = QImage::fromData(QByteArray::fromStdString(jpeg), "jpeg");
    for (const bool progressive : {false, true}) {
        for (const QSize size : {QSize(1200, 900), QSize(700, 525), QSize(150, 112)}) {
            SCOPED_TRACE(size.width());
            const ScaledJpeg decoded = decode(encode(original, "jpeg", progressive), size);
            ASSERT_EQ(decoded.status, ScaledJpeg::Status::Decoded) << decoded.error;
            const QImage reference =
                full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            EXPECT_LT(meanDifference(decoded.image, reference), 1.0);
        }
    }
}

TEST_F(JpegDecoderTest, DecodesGreyPictures) {
    QImage grey(64, 32, QImage::Format_Grayscale8);
    grey.fill(200);
    const ScaledJpeg decoded = decode(encode(grey, "jpeg"), {32, 16});
    ASSERT_EQ(decoded.status, ScaledJpeg::Status::Decoded) << decoded.error;
    EXPECT_TRUE(near(decoded.image.pixel(16, 8), QColor(200, 200, 200), 3));
}

TEST_F(JpegDecoderTest, ShowsWhatATruncatedPictureHolds) {
    const std::string jpeg = encode(quarters({400, 400}), "jpeg");
    const ScaledJpeg decoded = decode(jpeg.substr(0, jpeg.size() * 3 / 4), {200, 200});
    ASSERT_EQ(decoded.status, ScaledJpeg::Status::Decoded) << decoded.error;
    EXPECT_TRUE(near(decoded.image.pixel(50, 50), Qt::red));
    EXPECT_TRUE(near(decoded.image.pixel(150, 50), Qt::green));
}

TEST_F(JpegDecoderTest, FailsOnWhatIsNoUsableJpeg) {
    const std::string progressive = encode(ramps({600, 400}), "jpeg", true);
    struct Case {
        const char* name;
        std::string bytes;
        std::int64_t limit;
    };
    const Case cases[] = {
        {"empty", "", kLimit},
        {"no JPEG", "GIF89a and then some more bytes", kLimit},
        {"damaged header", "\xFF\xD8\xFF\xC0\x00\x02" + std::string(40, '\x11'), kLimit},
        // A progressive picture buffers all its coefficients, which this limit does not allow.
        {"over the memory limit", progressive, 4096},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScaledJpeg decoded = decode(c.bytes, {60, 40}, c.limit);
        EXPECT_EQ(decoded.status, ScaledJpeg::Status::Failed);
        EXPECT_TRUE(decoded.image.isNull());
        EXPECT_FALSE(decoded.error.empty());
    }
}

TEST_F(JpegDecoderTest, LeavesCmykToAnotherDecoder) {
    const ScaledJpeg decoded = decode(cmykJpeg(32, 32), {16, 16});
    EXPECT_EQ(decoded.status, ScaledJpeg::Status::Unsupported);
    EXPECT_TRUE(decoded.image.isNull());
}

TEST_F(JpegDecoderTest, RefusesASizeLargerThanThePicture) {
    const ScaledJpeg decoded = decode(encode(quarters({40, 30}), "jpeg"), {80, 30});
    EXPECT_EQ(decoded.status, ScaledJpeg::Status::Failed);
}

}  // namespace
}  // namespace muralto::imaging

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
