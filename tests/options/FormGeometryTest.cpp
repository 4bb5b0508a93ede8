// The frame's rules in twips: the tab strip's fit, the page inset, the centring at load and
// the caption with the version.
#include <gtest/gtest.h>

#include "options/FormGeometry.h"
#include "tests/support/TestSupport.h"

namespace muralto::options {
namespace {

struct FitCase {
    const char* name;
    std::int32_t width;
    std::int32_t height;
    TwipRect strip;
};

class FitTabStripTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitTabStripTest, LeavesA150TwipMargin) {
    EXPECT_EQ(fitTabStrip(GetParam().width, GetParam().height), GetParam().strip);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FitTabStripTest,
                         testing::Values(FitCase{"Designed", 4965, 5520, {150, 150, 4665, 5220}},
                                         FitCase{"JustOverTheMargins", 301, 302, {150, 150, 1, 2}},
                                         FitCase{"SmallerThanTheMargins", 250, 0, {150, 150, 0, 0}},
                                         FitCase{"Empty", 0, 0, {150, 150, 0, 0}}),
                         muralto::test::byName);

TEST(InsetPage, Takes8TwipsFromEverySideAndStaysAtZeroOrAbove) {
    EXPECT_EQ(insetPage({150, 450, 4665, 4900}), (TwipRect{158, 458, 4649, 4884}));
    EXPECT_EQ(insetPage({0, 0, 15, 16}), (TwipRect{8, 8, 0, 0}));
    EXPECT_EQ(insetPage({0, 0, 17, 0}), (TwipRect{8, 8, 1, 0}));
}

struct CentreCase {
    const char* name;
    double screenWidth, screenHeight, windowWidth, windowHeight;
    TwipPoint expected;
};

class CentreTest : public testing::TestWithParam<CentreCase> {};

TEST_P(CentreTest, CentresInTheUpper80Percent) {
    const CentreCase& c = GetParam();
    EXPECT_EQ(centreInUpperScreen(c.screenWidth, c.screenHeight, c.windowWidth, c.windowHeight),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, CentreTest,
    testing::Values(
        // 1024 x 768 pixels at 15 twips each; the designed window.
        CentreCase{"Designed", 15360, 11520, 4965, 5520, {5197, 1848}},
        // 9216 - 5518.5 = 3697.5 rounds to the even 3698 before halving.
        CentreCase{"DifferenceRoundedBeforeHalving", 15360, 11520, 4965, 5518.5, {5197, 1849}},
        // -1001 halves to -500: toward zero, not down.
        CentreCase{"LargerThanTheScreenTruncatesTowardZero", 1000, 1000, 2001, 1801, {-500, -500}}),
    muralto::test::byName);

struct CaptionCase {
    const char* name;
    VersionNumbers version;
    const char* expected;
};

class CaptionTest : public testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionTest, AppendsTheVersion) {
    EXPECT_EQ(captionWithVersion("Muralto", GetParam().version).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, CaptionTest,
                         testing::Values(CaptionCase{"Release1_0_0", {1, 0, 0}, "Muralto 1.0"},
                                         CaptionCase{"Release2_1_0", {2, 1, 0}, "Muralto 2.1"},
                                         CaptionCase{"Revision1", {2, 1, 1}, "Muralto 2.1a"},
                                         CaptionCase{"Revision3", {2, 1, 3}, "Muralto 2.1c"},
                                         CaptionCase{"TwoDigits", {10, 12, 26}, "Muralto 10.12z"},
                                         CaptionCase{
                                             "NegativeRevision", {1, 0, -1}, "Muralto 1.0"}),
                         muralto::test::byName);

}  // namespace
}  // namespace muralto::options
