#include <gtest/gtest.h>

#include "options/FormGeometry.h"

namespace muralto::options {
namespace {

TEST(FormGeometry, TheStripKeepsA150TwipMarginAndThePageAn8TwipInset) {
    EXPECT_EQ(fitTabStrip(4965, 5520), (TwipRect{150, 150, 4665, 5220}));
    EXPECT_EQ(fitTabStrip(250, 0), (TwipRect{150, 150, 0, 0}));
    EXPECT_EQ(insetPage({150, 450, 4665, 4900}), (TwipRect{158, 458, 4649, 4884}));
    EXPECT_EQ(insetPage({0, 0, 15, 16}), (TwipRect{8, 8, 0, 0}));
}

TEST(FormGeometry, CentresInTheUpper80Percent) {
    // 1024 x 768 pixels at 15 twips each; the designed window.
    EXPECT_EQ(centreInUpperScreen(15360, 11520, 4965, 5520), (TwipPoint{5197, 1848}));
    // 9216 - 5518.5 = 3697.5 rounds to the even 3698 before halving.
    EXPECT_EQ(centreInUpperScreen(15360, 11520, 4965, 5518.5), (TwipPoint{5197, 1849}));
}

TEST(FormGeometry, TheCaptionCarriesTheVersionAndARevisionLetter) {
    const struct {
        VersionNumbers version;
        const char* expected;
    } rows[] = {
        {{1, 0, 0}, "Muralto 1.0"}, {{2, 1, 1}, "Muralto 2.1a"}, {{10, 12, 26}, "Muralto 10.12z"}};
    for (const auto& row : rows)
        EXPECT_EQ(captionWithVersion("Muralto", row.version).toStdString(), row.expected);
}

}  // namespace
}  // namespace muralto::options
