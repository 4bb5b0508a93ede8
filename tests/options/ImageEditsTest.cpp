// The image page without widgets: numbers typed into it and what it shows for a record. (The
// edit state between the tabs is held by the window's tests.)
#include <gtest/gtest.h>

#include <limits>

#include "options/ImageEdits.h"
#include "tests/support/TestSupport.h"

namespace muralto::options {
namespace {

struct NumberCase {
    const char* name;
    const char* text;
    std::int32_t delay;
    std::int32_t scale;
};

class PageNumbersTest : public testing::TestWithParam<NumberCase> {};

TEST_P(PageNumbersTest, DelayRoundsDownAndScaleStaysAtOneOrMore) {
    const NumberCase& c = GetParam();
    ImagePageValues values;
    values.delayText = c.text;
    values.scaleText = c.text;
    const settings::ImageSettings read = readImagePage(values);
    EXPECT_EQ(read.Delay, c.delay);
    EXPECT_EQ(read.ScaleFactor, c.scale);
}

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Texts, PageNumbersTest,
    testing::Values(NumberCase{"Whole", "15", 15, 15}, NumberCase{"FractionDown", "2.7", 2, 2},
                    NumberCase{"NegativeFractionDown", "-1.5", -2, 1},
                    NumberCase{"NoNumber", "abc", 0, 1}, NumberCase{"Empty", "", 0, 1},
                    NumberCase{"Blanks", "  7  ", 7, 7}, NumberCase{"NegativeZero", "-0", 0, 1},
                    NumberCase{"Zero", "0", 0, 1}, NumberCase{"NumberThenText", "12s", 12, 12},
                    NumberCase{"Hexadecimal", "&H10", 16, 16},
                    NumberCase{"Beyond32Bits", "1e10", kMax, kMax},
                    NumberCase{"Below32Bits", "-1e10", kMin, 1},
                    NumberCase{"JustBelowTheTop", "2147483646.9", kMax - 1, kMax - 1},
                    NumberCase{"BeyondDouble", "1e999", kMax, kMax}),
    muralto::test::byName);

TEST(ReadImagePage, AddsTheFinalSeparatorOnceAndKeepsTheBytes) {
    ImagePageValues values;
    values.pathText = "/pics/\xff\xfe";
    values.reScan = true;
    values.startupOnly = true;
    settings::ImageSettings read = readImagePage(values);
    EXPECT_EQ(read.Path, "/pics/\xff\xfe/");
    EXPECT_TRUE(read.Valid);
    EXPECT_TRUE(read.ReScan);
    EXPECT_FALSE(read.AddPath);
    EXPECT_TRUE(read.StartupOnly);

    values.pathText = "/pics/";
    EXPECT_EQ(readImagePage(values).Path, "/pics/");
    values.pathText = "";
    EXPECT_EQ(readImagePage(values).Path, "/");
}

struct FillCase {
    const char* name;
    const char* storedPath;
    std::int32_t storedScale;
    const char* directoryShown;
    const char* pathText;
    const char* scaleText;
    bool corrected;
};

class FillImagePageTest : public testing::TestWithParam<FillCase> {};

TEST_P(FillImagePageTest, ShowsTheDirectoryAndTellsWhenTheRecordWasCorrected) {
    const FillCase& c = GetParam();
    settings::ImageSettings stored;
    stored.Path = c.storedPath;
    stored.ScaleFactor = c.storedScale;
    stored.Delay = -5;
    stored.AddPath = true;
    const FilledPage page = fillImagePage(stored, c.directoryShown);
    EXPECT_EQ(page.values.pathText, c.pathText);
    EXPECT_EQ(page.values.scaleText, c.scaleText);
    EXPECT_EQ(page.values.delayText, "-5");
    EXPECT_TRUE(page.values.addPath);
    EXPECT_FALSE(page.values.reScan);
    EXPECT_EQ(page.corrected, c.corrected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, FillImagePageTest,
    testing::Values(FillCase{"StoredAsShown", "/pics/", 2, "/pics", "/pics/", "2", false},
                    FillCase{"Root", "/", 1, "/", "/", "1", false},
                    FillCase{"MissingFolder", "/gone/", 1, "/opt/muralto", "/opt/muralto/", "1",
                             true},
                    FillCase{"NoFinalSeparator", "/pics", 1, "/pics", "/pics/", "1", true},
                    FillCase{"OtherLetterCase", "/Pics/", 1, "/pics", "/pics/", "1", true},
                    FillCase{"ScaleBelowOne", "/pics/", 0, "/pics", "/pics/", "1", true},
                    FillCase{"NegativeScale", "/pics/", -3, "/pics", "/pics/", "1", true}),
    muralto::test::byName);

}  // namespace
}  // namespace muralto::options
