// Paths in the system's bytes shown as text and read back unchanged, whatever the bytes.
#include <gtest/gtest.h>

#include "options/PathText.h"
#include "tests/support/TestSupport.h"

namespace muralto::options {
namespace {

struct PathCase {
    const char* name;
    std::string bytes;
    QString text;  ///< what the box shows
};

class PathTextTest : public testing::TestWithParam<PathCase> {};

TEST_P(PathTextTest, ShowsValidTextAndRoundTripsEveryByte) {
    const PathCase& c = GetParam();
    EXPECT_EQ(pathToText(c.bytes), c.text);
    EXPECT_EQ(textToPath(pathToText(c.bytes)), c.bytes);
}

const QString kE = QString(QChar(0xE9));

INSTANTIATE_TEST_SUITE_P(
    Bytes, PathTextTest,
    testing::Values(
        PathCase{"Ascii", "/pics/a b", "/pics/a b"}, PathCase{"Utf8", "/caf\xc3\xa9", "/caf" + kE},
        PathCase{"FourBytes", "/\xf0\x9f\x8c\x84", QString::fromUtf8("/\xf0\x9f\x8c\x84")},
        PathCase{"Latin1Byte", "/caf\xe9/x", "/caf" + QString(QChar(0xDCE9)) + "/x"},
        PathCase{"CutSequence", "/a\xc3", "/a" + QString(QChar(0xDCC3))},
        PathCase{"Overlong", "/\xc0\xaf", "/" + QString(QChar(0xDCC0)) + QChar(0xDCAF)},
        PathCase{"EncodedSurrogate", "/\xed\xa0\x80",
                 "/" + QString(QChar(0xDCED)) + QChar(0xDCA0) + QChar(0xDC80)},
        PathCase{"BeyondUnicode", "/\xf4\x90\x80\x80",
                 "/" + QString(QChar(0xDCF4)) + QChar(0xDC90) + QChar(0xDC80) + QChar(0xDC80)},
        PathCase{"StrayContinuation", "/\x80\xbf", "/" + QString(QChar(0xDC80)) + QChar(0xDCBF)},
        PathCase{"Empty", "", ""}),
    muralto::test::byName);

TEST(PathText, TypedTextEncodesAsUtf8) {
    EXPECT_EQ(textToPath("/caf" + kE), "/caf\xc3\xa9");
}

}  // namespace
}  // namespace muralto::options
