// EPS files' binary headers, and metafiles and EPS previews loaded as pictures.

#include "imaging/EpsPreview.h"

#include <gtest/gtest.h>

#include <QImageReader>

#include "imaging/PictureLoader.h"
#include "tests/imaging/PictureFiles.h"
#include "tests/imaging/wmf/WmfWriter.h"
#include "tests/support/TestSupport.h"

namespace muralto::imaging {
namespace {

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

/// An EPS file with the binary header, its PostScript, and the previews given (either may be
/// empty).
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

/// A metafile of width x height pixels filled with colour.
std::string filledWmf(int width, int height, QColor colour) {
    WmfWriter writer;
    writer.placeable({0, 0, width, height}, 96).pen(5, 0, Qt::black).select(0);
    return writer.brush(0, colour).select(1).rectangle(0, 0, width, height).bytes();
}

bool tiffReadable() {
    return QImageReader::supportedImageFormats().contains("tiff");
}

// --- The header -------------------------------------------------------------------------------

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
    {"BothWithoutTiffReaderTakeTheWmf", epsHeader({30, 10}, {40, 20}, {60, 40}), false, "", Wmf,
     40},
    {"TiffWithoutReaderIsStillTried", epsHeader({30, 10}, {}, {40, 60}), false, "", Tiff, 40},
    {"SectionEndingAtTheEnd", epsHeader({30, 10}, {40, 60}, {}), true, "", Wmf, 40},
    {"OffsetPastTheEnd", epsHeader({30, 10}, {101, 1}, {}), true, "past the end"},
    {"LengthWrappingAround", epsHeader({30, 10}, {50, 0xFFFFFFF0}, {}), true, "past the end"},
    {"PostScriptPastTheEnd", epsHeader({30, 100}, {40, 20}, {}), true, "past the end"},
    {"ShortHeader", epsHeader({30, 10}, {40, 20}, {}).substr(0, 20), true, "incomplete"},
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

// --- Loading ----------------------------------------------------------------------------------

struct Load {
    const char* name;
    std::string bytes;
    TargetSize target;
    QSize shown;  // 0 x 0: the load fails
    QColor colour;
    const char* error = "";
    bool needsTiff = false;
};

std::string tiffOf(QSize size, QColor colour) {
    return test::encode(test::solid(size, colour), "tiff");
}

const Load kLoads[] = {
    {"Metafile", filledWmf(40, 30, Qt::red), {1024, 768}, {40, 30}, Qt::red},
    {"MetafileCutShort", "\xD7\xCD\xC6\x9A\x2E", {64, 64}, {0, 0}, {}, "picture.eps"},
    {"EpsWithWmf", epsFile(filledWmf(40, 30, Qt::red), ""), {1024, 768}, {40, 30}, Qt::red},
    {"EpsWithTiffFitted",
     epsFile("", tiffOf({400, 300}, Qt::green)),
     {100, 100},
     {100, 75},
     Qt::green,
     "",
     true},
    {"EpsWithoutPreview", epsFile("", ""), {1024, 768}, {0, 0}, {}, "no preview"},
    {"EpsWithBrokenTiff", epsFile("", "II*\0broken"), {1024, 768}, {0, 0}, {}, "eps"},
};

class PreviewLoads : public testing::TestWithParam<Load> {};

TEST_P(PreviewLoads, ShowThePictureOrFailWithAMessage) {
    const Load& row = GetParam();
    if (row.needsTiff && !tiffReadable())
        GTEST_SKIP() << "no TIFF reader installed";
    const muralto::test::TempDir dir;
    const std::string path = dir.write("picture.eps", row.bytes).string();
    const LoadedPicture loaded = loadPicture(path, row.target);
    EXPECT_EQ(loaded.image.size(), row.shown);
    EXPECT_EQ(loaded.ok(), !row.shown.isEmpty()) << loaded.error;
    EXPECT_NE(loaded.error.find(row.error), std::string::npos) << loaded.error;
    if (loaded.ok()) {
        EXPECT_EQ(loaded.image.format(), QImage::Format_RGB32);
        EXPECT_TRUE(
            test::near(loaded.image.pixel(loaded.image.width() / 2, loaded.image.height() / 2),
                       row.colour, 2));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PreviewLoads, testing::ValuesIn(kLoads), muralto::test::byName);

}  // namespace
}  // namespace muralto::imaging
