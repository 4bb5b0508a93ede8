#include <gtest/gtest.h>

#include "i18n/StringTables.h"
#include "tests/support/TestSupport.h"

namespace muralto::i18n {
namespace {

TEST(ChooseLanguage, FirstSetVariableDecidesAndOnlyBritishEnglishGetsTheBritishTable) {
    struct Case {
        const char *all, *messages, *lang;
        Language expected;
    };
    for (const Case& c : {Case{nullptr, nullptr, nullptr, Language::EnUS},
                          Case{nullptr, nullptr, "en_GB.UTF-8", Language::EnGB},
                          Case{nullptr, nullptr, "de_DE.UTF-8", Language::EnUS},
                          Case{"", "en_GB", "en_US.UTF-8", Language::EnGB},
                          Case{"C", "en_GB", "en_GB", Language::EnUS},
                          Case{"en_GB@euro", nullptr, "en_US", Language::EnGB},
                          Case{nullptr, nullptr, "en", Language::EnUS}}) {
        EXPECT_EQ(chooseLanguage(c.all, c.messages, c.lang), c.expected)
            << (c.all ? c.all : "-") << ' ' << (c.messages ? c.messages : "-") << ' '
            << (c.lang ? c.lang : "-");
    }
}

TEST(StringTable, MissingBritishIdsComeFromTheAmericanTable) {
    const StringTable gb(Language::EnGB);
    const StringTable us(Language::EnUS);
    EXPECT_EQ(gb.LoadResString(1), "Uraltomay");
    EXPECT_EQ(us.LoadResString(1), "Muralto");
    EXPECT_EQ(gb.LoadResString(2001), "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;");
    EXPECT_EQ(gb.LoadResString(27), std::nullopt);
    // The table keeps "\nl" as written; it becomes a line break only when expanded.
    EXPECT_EQ(us.LoadResString(2004),
              "Changes to the current section have been made\\nlDo you wish to Save?");
}

struct ExpandCase {
    std::string text;
    std::vector<std::string> arguments;
    std::string expected;
};

class Expand : public testing::TestWithParam<ExpandCase> {};

TEST_P(Expand, TurnsEscapesAndPlaceholdersIntoText) {
    EXPECT_EQ(ExpandString(GetParam().text, GetParam().arguments), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Expand,
    testing::Values(ExpandCase{R"(a\nlb)", {}, "a\r\nb"}, ExpandCase{R"(a\rb)", {}, "a\rb"},
                    ExpandCase{R"(a\tb)", {}, "a\tb"}, ExpandCase{R"(a\nb)", {}, "a\nb"},
                    ExpandCase{R"(\\nl)", {}, R"(\nl)"}, ExpandCase{R"(\\n)", {}, R"(\n)"},
                    ExpandCase{"[1][2]", {"x", "y"}, "xy"}, ExpandCase{"[1][2]", {}, "[1][2]"},
                    ExpandCase{R"(\[1])", {"x"}, "[1]"}, ExpandCase{R"(\\[1])", {"x"}, "[1]"},
                    ExpandCase{"[1] [0] [3]", {"[2]", "y"}, "y [0] [3]"},
                    ExpandCase{R"(\x and \)", {}, R"(\x and \)"},
                    ExpandCase{std::string("a\0b", 3), {}, "ab"}, ExpandCase{"", {"x"}, ""}),
    [](const auto& row) { return test::caseName(row.index, row.param.text); });

TEST(ExpandString, FormatsNumberArguments) {
    EXPECT_EQ(ExpandString("Code Block [1]", 1908), "Code Block 1908");
}

TEST(ReplaceAllTest, NeverSearchesInsertedText) {
    EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
    EXPECT_EQ(ReplaceAll("abcabc", "bc", "b"), "abab");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
}

}  // namespace
}  // namespace muralto::i18n
