// The newsgroups page without widgets: numbers typed into its fields, how wide a name makes the
// list, which names can become groups, and where the entry on show goes when an item is removed.
#include <gtest/gtest.h>

#include <limits>

#include "options/GroupEdits.h"
#include "tests/support/TestSupport.h"

namespace muralto::options {
namespace {

constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
constexpr auto kMin = std::numeric_limits<std::int32_t>::min();

struct NumberCase {
    const char* name;
    const char* text;
    std::int32_t expected;
};

class RoundedNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(RoundedNumberTest, RoundsHalvesToEvenWithin32Bits) {
    EXPECT_EQ(roundedNumber(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RoundedNumberTest,
    testing::Values(NumberCase{"HalfDownToEven", "12.5", 12},
                    NumberCase{"HalfUpToEven", "13.5", 14}, NumberCase{"AboveHalf", "12.51", 13},
                    NumberCase{"BelowHalf", "13.49", 13}, NumberCase{"NegativeHalf", "-2.5", -2},
                    NumberCase{"NegativeOddHalf", "-3.5", -4}, NumberCase{"NoNumber", "abc", 0},
                    NumberCase{"Empty", "", 0}, NumberCase{"NumberThenText", " 7x", 7},
                    NumberCase{"Hexadecimal", "&HFF", 255},
                    NumberCase{"Beyond32Bits", "1e12", kMax},
                    NumberCase{"Below32Bits", "-1e12", kMin},
                    NumberCase{"JustBelowTheTop", "2147483646.4", kMax - 1},
                    NumberCase{"BeyondDouble", "1e999", kMax}),
    muralto::test::byName);

struct WidthCase {
    const char* name;
    double nameTwips;
    double twipsPerPixel;
    std::int32_t pixels;
};

class GroupNameWidthTest : public testing::TestWithParam<WidthCase> {};

TEST_P(GroupNameWidthTest, RoundsBothThenDividesDroppingTheFraction) {
    const WidthCase& c = GetParam();
    EXPECT_EQ(groupNameWidth(c.nameTwips, c.twipsPerPixel), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(Widths, GroupNameWidthTest,
                         testing::Values(WidthCase{"WholePixels", 1500, 15, 100},
                                         WidthCase{"FractionDropped", 1514, 15, 100},
                                         WidthCase{"TwipsRoundedFirst", 1514.6, 15, 101},
                                         WidthCase{"TwipsHalfToEven", 1514.5, 15, 100},
                                         // 7.5 twips per pixel (192 DPI) rounds to 8, not to 7.
                                         WidthCase{"PerPixelHalfToEven", 800, 7.5, 100},
                                         WidthCase{"PerPixelHalfDown", 800, 8.5, 100},
                                         WidthCase{"Nothing", 0, 15, 0},
                                         WidthCase{"TinyPixelsCountAsOne", 37, 0.2, 37}),
                         muralto::test::byName);

struct NameCase {
    const char* name;
    std::string_view text;
    GroupNameCheck expected;
};

class CheckGroupNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(CheckGroupNameTest, RefusesWhatTheStoreCannotKeepAsOneKey) {
    const NameCase& c = GetParam();
    const GroupNameCheck check = checkGroupName(c.text);
    EXPECT_EQ(check, c.expected);
    // Only a refusal has a sentence for the user.
    const bool refused =
        check == GroupNameCheck::Backslash || check == GroupNameCheck::ControlCharacter;
    EXPECT_EQ(refusal(check).empty(), !refused);
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Names, CheckGroupNameTest,
    testing::Values(NameCase{"Plain", "alt.binaries.pictures", GroupNameCheck::Accepted},
                    NameCase{"NonAscii", "gr\xc3\xbc\xc3\x9f", GroupNameCheck::Accepted},
                    NameCase{"Slash", "a/b", GroupNameCheck::Accepted},
                    NameCase{"Empty", "", GroupNameCheck::Empty},
                    NameCase{"Backslash", "alt\\pictures", GroupNameCheck::Backslash},
                    NameCase{"Tab", "a\tb", GroupNameCheck::ControlCharacter},
                    NameCase{"Nul", "a\0b"sv, GroupNameCheck::ControlCharacter},
                    NameCase{"UnitSeparator", "\x1f", GroupNameCheck::ControlCharacter},
                    NameCase{"Delete", "a\x7f", GroupNameCheck::ControlCharacter}),
    muralto::test::byName);

struct RemovedCase {
    const char* name;
    std::int32_t shown;
    std::int32_t removed;
    bool wasShown;
    std::int32_t shownAfter;
};

class RowRemovedTest : public testing::TestWithParam<RemovedCase> {};

TEST_P(RowRemovedTest, TheEntryOnShowFollowsItsItem) {
    const RemovedCase& c = GetParam();
    GroupEdits edits;
    edits.mlGroupIndex = c.shown;
    EXPECT_EQ(edits.rowRemoved(c.removed), c.wasShown);
    EXPECT_EQ(edits.mlGroupIndex, c.shownAfter);
}

INSTANTIATE_TEST_SUITE_P(Rows, RowRemovedTest,
                         testing::Values(RemovedCase{"TheShownOne", 2, 2, true, -1},
                                         RemovedCase{"FirstAbove", 2, 0, false, 1},
                                         RemovedCase{"JustAbove", 2, 1, false, 1},
                                         RemovedCase{"OneBelow", 2, 3, false, 2},
                                         RemovedCase{"NothingShown", -1, 0, false, -1},
                                         RemovedCase{"NoRow", 1, -1, false, 1}),
                         muralto::test::byName);

TEST(GroupEdits, StartsWithNothingShownAndTheExtentOnlyGrows) {
    GroupEdits edits;
    EXPECT_EQ(edits.mlGroupIndex, -1);
    EXPECT_FALSE(edits.pendingEdit());
    EXPECT_FALSE(edits.widen(0));
    EXPECT_TRUE(edits.widen(120));
    EXPECT_FALSE(edits.widen(120));
    EXPECT_FALSE(edits.widen(80));
    EXPECT_EQ(edits.mlMaxGroupWidth, 120);
    EXPECT_TRUE(edits.widen(121));
    EXPECT_EQ(edits.mlMaxGroupWidth, 121);
}

}  // namespace
}  // namespace muralto::options
