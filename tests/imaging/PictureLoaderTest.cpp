#include "imaging/PictureLoader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QPainter>

#include <chrono>
#include <filesystem>
#include <future>
#include <initializer_list>

#include "imaging/JpegHeader.h"
#include "tests/imaging/PictureFiles.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using test::encode;
using test::near;
using test::solid;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(char(v));
    return out;
}

/// The metadata that a test JPEG carries right after its SOI.
enum class Metadata {
    OrientationOnly,    ///< EXIF with the orientation tag alone
    CameraTags,         ///< EXIF listing Make and Model before the orientation, as cameras do
    CameraTagsThenXmp,  ///< the same, then an XMP block
};

using namespace std::string_literals;

/// APP1 segments: big-endian TIFF with one entry, or little-endian with Make (its text at 50),
/// Model and the orientation, each a tag, type, count and value.
std::string exifSegment(int orientation, Metadata metadata) {
    const char turn = char(orientation);
    if (metadata == Metadata::OrientationOnly)
        return "\xFF\xE1\0\x22"
               "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01"
               "\x01\x12\0\x03\0\0\0\x01\0"s +
               turn + "\0\0\0\0\0\0"s;
    return "\xFF\xE1\0\x40"
           "Exif\0\0II\x2A\0\x08\0\0\0\x03\0"
           "\x0F\x01\x02\0\x06\0\0\0\x32\0\0\0\x10\x01\x02\0\x04\0\0\0EOS\0"
           "\x12\x01\x03\0\x01\0\0\0"s +
           turn + "\0\0\0\0\0\0\0Canon\0"s;
}

std::string xmpSegment() {
    const std::string payload = std::string("http://ns.adobe.com/xap/1.0/") + '\0' +
                                "<x:xmpmeta xmlns:x='adobe:ns:meta/'><tiff:Orientation>1"
                                "</tiff:Orientation></x:xmpmeta>";
    return bytes({0xFF, 0xE1, 0, int(payload.size() + 2)}) + payload;
}

/// A JPEG of a picture whose left half is red and right half blue, with an EXIF segment
/// holding the orientation right after its SOI.
std::string halvesWithOrientation(QSize size, int orientation,
                                  Metadata metadata = Metadata::OrientationOnly) {
    QImage image = solid(size, Qt::blue);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    const std::string jpeg = encode(image, "jpeg");
    std::string segments = exifSegment(orientation, metadata);
    if (metadata == Metadata::CameraTagsThenXmp)
        segments += xmpSegment();
    return jpeg.substr(0, 2) + segments + jpeg.substr(2);
}

/// The BMP file of a picture of one colour declaring its rows top-down: a negative height.
std::string topDownBmp(const QImage& picture) {
    std::string bmp = encode(picture, "bmp");
    const std::uint32_t negative = std::uint32_t(-picture.height());
    for (int i = 0; i < 4; ++i)
        bmp[22 + i] = char(negative >> (8 * i));
    return bmp;
}

/// A CMYK JPEG with count comment segments before its frame.
std::string cmykWithComments(int count) {
    const std::string jpeg = test::cmykJpeg(32);
    std::string comments;
    for (int i = 0; i < count; ++i)
        comments += bytes({0xFF, 0xFE, 0, 2});
    return jpeg.substr(0, 2) + comments + jpeg.substr(2);
}

/// A progressive JPEG of 252 bytes whose frame declares 30000 x 30000 pixels.
std::string hostileProgressiveJpeg() {
    std::string jpeg = bytes({0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00});
    jpeg.append(64, char(1));
    jpeg += bytes({0xFF, 0xC2, 0x00, 0x11, 0x08, 0x75, 0x30, 0x75, 0x30, 0x03,  // SOF2
                   0x01, 0x22, 0x00, 0x02, 0x11, 0x00, 0x03, 0x11, 0x00});
    jpeg += bytes({0xFF, 0xC4, 0x00, 0x14, 0x00, 1, 0, 0, 0, 0, 0, 0, 0,  // DHT, one DC code
                   0,    0,    0,    0,    0,    0, 0, 0, 0});
    jpeg += bytes({0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00,  // SOS
                   0x00, 0x00, 0x00});
    jpeg.append(250 - jpeg.size(), '\0');
    return jpeg + bytes({0xFF, 0xD9});
}

/// A GIF whose screen and only frame declare 65535 x 65535 pixels.
std::string hostileGif() {
    return "GIF89a" + bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0,    0,  // screen, 2 colours
                             0,    0,    0,    0xFF, 0xFF, 0xFF,     // colour table
                             0x2C, 0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0xFF, 0,  // frame
                             2,    2,    0x4C, 0x01, 0,    0x3B});
}

class PictureLoaderTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& content) {
        return dir.write(name, content).string();
    }

    muralto::test::TempDir dir;
};

TEST_F(PictureLoaderTest, FitsEachFormatToExactlyTheComputedSizeUnderNamesThatAreNotUtf8) {
    struct Case {
        const char* format;
        bool progressive;
        QSize stored, expected;
        TargetSize target;
        QImage::Format depth = QImage::Format_RGB32;  // of the picture as encoded
        bool topDown = false;                         // BMP rows stored from the top
    };
    const TargetSize screen{1024, 768};
    for (const Case& c :
         {Case{"jpeg", false, {2000, 1000}, {1024, 512}, screen},
          Case{"jpeg", true, {300, 200}, {150, 100}, {150, 150}},
          Case{"png", false, {600, 300}, {300, 150}, {300, 300}, QImage::Format_RGBA64},
          Case{"bmp", false, {1000, 1536}, {500, 768}, screen},
          Case{"bmp", false, {64, 32}, {64, 32}, screen, QImage::Format_RGB32, true}}) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.stored.width()));
        const QImage picture = solid(c.stored, Qt::green).convertToFormat(c.depth);
        const std::string path =
            write(std::string("caf\xe9 \xff.") + c.format,
                  c.topDown ? topDownBmp(picture) : encode(picture, c.format, c.progressive));
        const LoadedPicture loaded = loadPicture(path, c.target);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        EXPECT_EQ(loaded.image.size(), c.expected);
        EXPECT_EQ(loaded.image.format(), QImage::Format_RGB32);
        const QSize s = loaded.image.size();
        for (QPoint p : {QPoint(0, 0), QPoint(s.width() - 1, s.height() - 1)})
            EXPECT_TRUE(near(loaded.image.pixel(p), Qt::green)) << p.x() << "," << p.y();
    }
}

TEST_F(PictureLoaderTest, TurnsPicturesUprightByTheirExifOrientationBeforeFitting) {
    using enum Metadata;
    struct Case {
        int orientation;
        QSize stored, upright;
        TargetSize target;
        QPoint red, blue;  // points inside the red and the blue half, in upright coordinates
        Metadata metadata = OrientationOnly;
    };
    // Fitting the stored size instead would keep the second unscaled. The XMP block after the
    // EXIF one leaves the orientation as EXIF gave it.
    for (const Case& c :
         {Case{3, {40, 20}, {40, 20}, {1024, 768}, {35, 10}, {5, 10}},
          Case{6, {800, 400}, {200, 400}, {1024, 400}, {100, 50}, {100, 350}, CameraTags},
          Case{8, {40, 20}, {20, 40}, {1024, 768}, {10, 35}, {10, 5}, CameraTagsThenXmp}}) {
        SCOPED_TRACE(c.orientation);
        const std::string path =
            write("turned.jpg", halvesWithOrientation(c.stored, c.orientation, c.metadata));
        const LoadedPicture loaded = loadPicture(path, c.target);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        ASSERT_EQ(loaded.image.size(), c.upright);
        EXPECT_TRUE(near(loaded.image.pixel(c.red), Qt::red, 40));
        EXPECT_TRUE(near(loaded.image.pixel(c.blue), Qt::blue, 40));
    }
}

TEST_F(PictureLoaderTest, RefusesHostileAndBrokenPicturesWithAMessage) {
    const std::string good = encode(solid({64, 64}, Qt::red), "jpeg");
    const std::string gone = (dir.path() / "gone.jpg").string();
    const std::string folder = dir.write("folder.jpg/inner", "x").parent_path().string();
    const std::string zeros = write("zeros.jpg", bytes({0xFF, 0xD8}));
    std::filesystem::resize_file(zeros, 2 * kMaxJpegHeaderBytes);  // sparse: no disk taken
    QImage deep(1000, 1000, QImage::Format_RGBA64);                // 8 bytes a pixel when decoded
    deep.fill(Qt::green);
    struct Case {
        std::string path, message;  // the message names the path, or the declared size
        DecodeLimits limits = {};
    };
    for (const Case& c : {
             Case{write("bomb.jpg", hostileProgressiveJpeg()), "30000 x 30000"},
             Case{write("deep.png", encode(deep, "png")), "1000 x 1000", {.memory = 10 << 20}},
             Case{zeros, "24 MB"},
             Case{write("cmyk.jpg", cmykWithComments(5000)), "segments"},
             Case{"/dev/null", "/dev/null"},
             Case{write("bomb.gif", hostileGif()), "65535 x 65535"},
             Case{gone, gone},
             Case{folder, folder},
             Case{write("empty.jpg", ""), "empty.jpg"},
             Case{write("figure.eps", "%!PS-Adobe-3.0 EPSF-3.0\n"), "figure.eps"},
             Case{write("damaged.jpg", good.substr(0, 2) + std::string(300, 'x')), "damaged.jpg"},
         }) {
        const LoadedPicture loaded = loadPicture(c.path, {1024, 768}, c.limits);
        EXPECT_FALSE(loaded.ok()) << c.path;
        EXPECT_TRUE(loaded.image.isNull()) << c.path;
        EXPECT_NE(loaded.error.find(c.message), std::string::npos) << loaded.error;
    }
}

TEST_F(PictureLoaderTest, AFifoFailsAtOnceWithoutWaitingForAWriter) {
    const std::string fifo = (dir.path() / "fifo.jpg").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto loading = std::async(std::launch::async, [&] { return loadPicture(fifo, {64, 64}); });
    const bool done = loading.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!done) {
        // A loader waiting in the open for a writer is let go by one, so the test ends.
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    }
    const LoadedPicture loaded = loading.get();
    EXPECT_TRUE(done) << "the load waited for a writer";
    EXPECT_FALSE(loaded.ok());
    EXPECT_NE(loaded.error.find(fifo), std::string::npos) << loaded.error;
}

TEST_F(PictureLoaderTest, TransparentAreasBecomeBlack) {
    QImage picture = solid({20, 20}, Qt::white).convertToFormat(QImage::Format_ARGB32);
    picture.setPixel(1, 1, qRgba(255, 255, 255, 0));
    const LoadedPicture loaded = loadPicture(write("clear.png", encode(picture, "png")), {64, 64});
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_FALSE(loaded.image.hasAlphaChannel());
    EXPECT_EQ(loaded.image.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(loaded.image.pixel(10, 10), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace muralto::imaging
