#include <gtest/gtest.h>

#include "settings/Conversions.h"
#include "tests/support/TestSupport.h"

namespace muralto::settings {
namespace {

struct NumberCase {
    std::string text;
    std::optional<std::int32_t> expected;
};

class ReadNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadNumber, TakesTheLeadingNumberRoundedHalfToEven) {
    EXPECT_EQ(readNumber(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadNumber,
    testing::Values(NumberCase{"60", 60}, NumberCase{"12abc", 12}, NumberCase{"abc", 0},
                    NumberCase{"-1", -1}, NumberCase{"+5", 5}, NumberCase{"3.5", 4},
                    NumberCase{"2.5", 2}, NumberCase{".5", 0}, NumberCase{"0.5000001", 1},
                    NumberCase{" 1 2\t3\n", 123}, NumberCase{"\r5", 0}, NumberCase{"1e3", 1000},
                    NumberCase{"2e-1", 0}, NumberCase{"7e", 7}, NumberCase{"&hff", 255},
                    NumberCase{"&O17", 15}, NumberCase{"&O18", 1}, NumberCase{"&HFG", 15},
                    NumberCase{"&HFFFFFFFF", -1}, NumberCase{"&H1FFFFFFFF", std::nullopt},
                    NumberCase{"2147483647", 2147483647}, NumberCase{"2147483647.5", std::nullopt},
                    NumberCase{"-2147483648", INT32_MIN}, NumberCase{"-2147483649", std::nullopt},
                    NumberCase{"1e400", std::nullopt}),
    [](const auto& row) { return test::caseName(row.index, row.param.text); });

struct BooleanCase {
    std::string text;
    std::optional<bool> expected;
};

class ReadBoolean : public testing::TestWithParam<BooleanCase> {};

TEST_P(ReadBoolean, AcceptsWordsInAnyCaseAndWholeNumbers) {
    EXPECT_EQ(readBoolean(GetParam().text), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadBoolean,
                         testing::Values(BooleanCase{"-1", true}, BooleanCase{"TRUE", true},
                                         BooleanCase{"0", false}, BooleanCase{"fAlSe", false},
                                         BooleanCase{" 0 ", false}, BooleanCase{"0.4", true},
                                         BooleanCase{"&H0", false},
                                         BooleanCase{"yes", std::nullopt},
                                         BooleanCase{"12abc", std::nullopt},
                                         BooleanCase{"True ", true}, BooleanCase{" false", false}),
                         [](const auto& row) { return test::caseName(row.index, row.param.text); });

}  // namespace
}  // namespace muralto::settings
