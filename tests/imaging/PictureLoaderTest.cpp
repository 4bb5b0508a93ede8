#include "imaging/PictureLoader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImageReader>
#include <QPainter>

#include <chrono>
#include <filesystem>
#include <future>

#include "imaging/EpsPreview.h"
#include "imaging/JpegHeader.h"
#include "tests/imaging/PictureFiles.h"
#include "tests/imaging/wmf/WmfWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

using namespace std::string_literals;
using test::encode;
using test::near;
using test::solid;

/// APP1 segments as cameras write them: little-endian EXIF with Make (its text at 50) and Model
/// before the orientation, then an XMP block.
std::string exifSegments(int orientation) {
    const char turn = char(orientation);
    const std::string xmp =
        "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta xmlns:x='adobe:ns:meta/'>"
        "<tiff:Orientation>1</tiff:Orientation></x:xmpmeta>"s;
    return "\xFF\xE1\0\x40"
           "Exif\0\0II\x2A\0\x08\0\0\0\x03\0"
           "\x0F\x01\x02\0\x06\0\0\0\x32\0\0\0\x10\x01\x02\0\x04\0\0\0EOS\0"
           "\x12\x01\x03\0\x01\0\0\0"s +
           turn + "\0\0\0\0\0\0\0Canon\0"s + "\xFF\xE1\0"s + char(xmp.size() + 2) + xmp;
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
        QSize stored, expected;
        TargetSize target;
        QImage::Format depth = QImage::Format_RGB32;  // of the picture as encoded
    };
    for (const Case& c : {Case{"jpeg", {2000, 1000}, {1024, 512}, {1024, 768}},
                          Case{"png", {300, 600}, {150, 300}, {300, 300}, QImage::Format_RGBA64},
                          Case{"bmp", {64, 32}, {64, 32}, {1024, 768}}}) {
        SCOPED_TRACE(c.format);
        const QImage picture = solid(c.stored, Qt::green).convertToFormat(c.depth);
        const std::string path =
            write(std::string("caf\xe9 \xff.") + c.format, encode(picture, c.format));
        const LoadedPicture loaded = loadPicture(path, c.target);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        EXPECT_EQ(loaded.image.size(), c.expected);
        EXPECT_EQ(loaded.image.format(), QImage::Format_RGB32);
        const QSize s = loaded.image.size();
        for (QPoint p : {QPoint(0, 0), QPoint(s.width() - 1, s.height() - 1)})
            EXPECT_TRUE(near(loaded.image.pixel(p), Qt::green)) << p.x() << "," << p.y();
    }
}

/// Fitting the stored size instead of the upright one would leave the second picture unscaled.
TEST_F(PictureLoaderTest, TurnsPicturesUprightByTheirExifOrientationBeforeFitting) {
    struct Case {
        int orientation;
        QSize stored, upright;
        TargetSize target;
        QPoint red, blue;  // points inside the red and the blue half, in upright coordinates
    };
    for (const Case& c : {Case{3, {40, 20}, {40, 20}, {1024, 768}, {35, 10}, {5, 10}},
                          Case{6, {800, 400}, {200, 400}, {1024, 400}, {100, 50}, {100, 350}}}) {
        SCOPED_TRACE(c.orientation);
        QImage image = solid(c.stored, Qt::blue);
        QPainter(&image).fillRect(0, 0, c.stored.width() / 2, c.stored.height(), Qt::red);
        const std::string jpeg = encode(image, "jpeg");
        const LoadedPicture loaded = loadPicture(
            write("turned.jpg", jpeg.substr(0, 2) + exifSegments(c.orientation) + jpeg.substr(2)),
            c.target);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        ASSERT_EQ(loaded.image.size(), c.upright);
        EXPECT_TRUE(near(loaded.image.pixel(c.red), Qt::red, 40));
        EXPECT_TRUE(near(loaded.image.pixel(c.blue), Qt::blue, 40));
    }
}

TEST_F(PictureLoaderTest, RefusesHostileAndBrokenPicturesWithAMessage) {
    const std::string zeros = write("zeros.jpg", "\xFF\xD8");
    std::filesystem::resize_file(zeros, 2 * kMaxJpegHeaderBytes);  // sparse: no disk taken
    QImage deep(1000, 1000, QImage::Format_RGBA64);                // 8 bytes a pixel when decoded
    deep.fill(Qt::green);
    const std::string frame30000 =  // progressive, 30000 x 30000 pixels
        "\xFF\xD8\xFF\xC2\0\x0B\x08\x75\x30\x75\x30\x01\x01\x11\0"s;
    const std::string cmyk = test::cmykJpeg(32);
    std::string comments;
    for (int i = 0; i < 5000; ++i)
        comments += "\xFF\xFE\0\x02"s;
    struct Case {
        std::string path, message;  // the message names the path, or the declared size
        DecodeLimits limits = {};
    };
    for (const Case& c : {
             Case{write("bomb.jpg", frame30000), "30000 x 30000"},
             Case{write("deep.png", encode(deep, "png")), "1000 x 1000", {.memory = 10 << 20}},
             Case{zeros, "24 MB"},
             Case{write("cmyk.jpg", cmyk.substr(0, 2) + comments + cmyk.substr(2)), "segments"},
             Case{(dir.path() / "gone.jpg").string(), "gone.jpg"},
             Case{write("damaged.jpg", "\xFF\xD8" + std::string(300, 'x')), "damaged.jpg"},
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
    if (!done)  // a loader waiting in the open for a writer is let go by one, so the test ends
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    const LoadedPicture loaded = loading.get();
    EXPECT_TRUE(done) << "the load waited for a writer";
    EXPECT_NE(loaded.error.find(fifo), std::string::npos) << loaded.error;
}

TEST_F(PictureLoaderTest, TransparentAreasBecomeBlack) {
    QImage picture = solid({20, 20}, Qt::white).convertToFormat(QImage::Format_ARGB32);
    picture.setPixel(1, 1, qRgba(255, 255, 255, 0));
    const LoadedPicture loaded = loadPicture(write("clear.png", encode(picture, "png")), {64, 64});
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    EXPECT_EQ(loaded.image.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(loaded.image.pixel(10, 10), qRgb(255, 255, 255));
}

// --- EPS files' binary headers, and metafiles and EPS previews loaded as pictures ------------

using test::dword;
using test::WmfWriter;
using test::words;

struct Section {
    std::uint32_t offset = 0, length = 0;
};

std::string epsHeader(Section postScript, Section wmf, Section tiff) {
    return std::string("\xC5\xD0\xD3\xC6") + dword(postScript.offset) + dword(postScript.length) +
           dword(wmf.offset) + dword(wmf.length) + dword(tiff.offset) + dword(tiff.length) +
           words({0xFFFF});
}

/// An EPS file with the binary header, its PostScript and the previews given (either may be "").
std::string epsFile(const std::string& wmf, const std::string& tiff) {
    const std::string postScript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 40 30\n";
    const std::uint32_t ps = kEpsHeaderBytes;
    const std::uint32_t w = ps + std::uint32_t(postScript.size());
    const std::uint32_t t = w + std::uint32_t(wmf.size());
    return epsHeader({ps, std::uint32_t(postScript.size())},
                     {wmf.empty() ? 0 : w, std::uint32_t(wmf.size())},
                     {tiff.empty() ? 0 : t, std::uint32_t(tiff.size())}) +
           postScript + wmf + tiff;
}

struct Header {
    const char* name;
    std::string header;  // of a file of 100 bytes
    bool tiffReadable;
    const char* error;  // part of the message; empty: the preview below
    EpsPreview::Kind kind = EpsPreview::Kind::Tiff;
    std::uint32_t offset = 0;
};

using enum EpsPreview::Kind;
const Header kHeaders[] = {
    {"BothTakeTheTiff", epsHeader({30, 10}, {40, 20}, {60, 40}), true, "", Tiff, 60},
    {"BothWithoutTiffReaderTakeWmf", epsHeader({30, 10}, {40, 20}, {60, 40}), false, "", Wmf, 40},
    {"SectionEndingAtTheEnd", epsHeader({30, 10}, {40, 60}, {}), true, "", Wmf, 40},
    {"SectionPastTheEndByOne", epsHeader({30, 10}, {40, 61}, {}), true, "past the end"},
};

class EpsHeaders : public testing::TestWithParam<Header> {};

TEST_P(EpsHeaders, NameThePreviewOrWhyThereIsNone) {
    const Header& row = GetParam();
    const EpsHeader eps = readEpsHeader(row.header, 100, row.tiffReadable);
    EXPECT_NE(eps.error.find(row.error), std::string::npos) << eps.error;
    EXPECT_EQ(eps.error.empty(), std::string(row.error).empty()) << eps.error;
    if (eps.error.empty()) {
        EXPECT_EQ(eps.preview.kind, row.kind);
        EXPECT_EQ(eps.preview.offset, row.offset);
    }
}

INSTANTIATE_TEST_SUITE_P(Headers, EpsHeaders, testing::ValuesIn(kHeaders), muralto::test::byName);

struct Load {
    const char* name;
    std::string bytes;
    TargetSize target;
    QSize shown;  // 0 x 0: the load fails, with the error
    QColor colour;
    bool needsTiff = false;
    const char* error = "";
};

const std::string kWmf = WmfWriter()
                             .placeable({0, 0, 40, 30}, 96)
                             .brush(0, Qt::red)
                             .select(0)
                             .rectangle(0, 0, 40, 30)
                             .bytes();
const std::string kTiff = test::encode(test::solid({400, 300}, Qt::green), "tiff");

const Load kLoads[] = {
    {"EpsWithWmf", epsFile(kWmf, ""), {1024, 768}, {40, 30}, Qt::red},
    {"EpsWithTiffFitted", epsFile("", kTiff), {100, 100}, {100, 75}, Qt::green, true},
    {"EpsWithoutPreview", epsFile("", ""), {1024, 768}, {0, 0}, {}, false, "no preview"},
};

class PreviewLoads : public testing::TestWithParam<Load> {};

TEST_P(PreviewLoads, ShowThePictureOrFailWithAMessage) {
    const Load& row = GetParam();
    if (row.needsTiff && !QImageReader::supportedImageFormats().contains("tiff"))
        GTEST_SKIP() << "no TIFF reader installed";
    const muralto::test::TempDir dir;
    const LoadedPicture loaded =
        loadPicture(dir.write("picture.eps", row.bytes).string(), row.target);
    EXPECT_EQ(loaded.image.size(), row.shown);
    EXPECT_EQ(loaded.ok(), !row.shown.isEmpty()) << loaded.error;
    EXPECT_NE(loaded.error.find(row.error), std::string::npos) << loaded.error;
    if (loaded.ok()) {
        const QImage& image = loaded.image;
        EXPECT_TRUE(test::near(image.pixel(image.width() / 2, image.height() / 2), row.colour, 2));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PreviewLoads, testing::ValuesIn(kLoads), muralto::test::byName);

// A TIFF of 2000 x 2000 pixels decodes to 16 MB; the decoder holds each strip decoded besides,
// 12 MB when the picture is one strip. Within 24 MB only the picture in small strips fits,
// whatever the file is named, alone or as an EPS file's preview.
struct TiffLoad {
    const char* name;
    const char* fileName;
    int rowsPerStrip;
    bool inEps = false;
};

const TiffLoad kTiffLoads[] = {
    {"OneStripNamedTif", "picture.tif", 2000},     {"OneStripNamedJpg", "picture.jpg", 2000},
    {"OneStripInEps", "picture.eps", 2000, true},  {"SmallStripsNamedJpg", "picture.jpg", 50},
    {"SmallStripsInEps", "picture.eps", 50, true},
};

class TiffMemory : public testing::TestWithParam<TiffLoad> {};

TEST_P(TiffMemory, CountsTheDecodersStripWhateverTheFileIsNamed) {
    const TiffLoad& row = GetParam();
    if (!QImageReader::supportedImageFormats().contains("tiff"))
        GTEST_SKIP() << "no TIFF reader installed";
    const std::string tiff = test::deflatedTiff({2000, 2000}, Qt::green, row.rowsPerStrip);
    const muralto::test::TempDir dir;
    const std::string path = dir.write(row.fileName, row.inEps ? epsFile("", tiff) : tiff);
    const LoadedPicture loaded = loadPicture(path, {100, 100}, {.memory = 24 << 20});
    const bool fits = row.rowsPerStrip < 2000;
    EXPECT_EQ(loaded.ok(), fits) << loaded.error;
    if (fits) {
        ASSERT_EQ(loaded.image.size(), QSize(100, 100));
        EXPECT_TRUE(test::near(loaded.image.pixel(50, 50), Qt::green, 2));
    } else {
        EXPECT_NE(loaded.error.find("2000 x 2000"), std::string::npos) << loaded.error;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TiffMemory, testing::ValuesIn(kTiffLoads), muralto::test::byName);

}  // namespace
}  // namespace muralto::imaging
