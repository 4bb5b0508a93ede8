#include <gtest/gtest.h>

#include "i18n/StringTables.h"

namespace muralto::i18n {
namespace {

TEST(StringTables, TheFirstSetVariableDecidesAndOnlyBritishEnglishGetsTheBritishTable) {
    const struct {
        const char *all, *messages, *lang;
        Language expected;
    } rows[] = {{nullptr, nullptr, nullptr, Language::EnUS},
                {"", "en_GB.UTF-8", "en_US", Language::EnGB},
                {"C", "en_GB", "en_GB", Language::EnUS}};
    for (const auto& row : rows)
        EXPECT_EQ(chooseLanguage(row.all, row.messages, row.lang), row.expected)
            << (row.lang ? row.lang : "-");
    // Ids the British table lacks come from the American one.
    const StringTable gb(Language::EnGB);
    EXPECT_EQ(gb.LoadResString(1), "Uraltomay");
    EXPECT_EQ(gb.LoadResString(2001), "*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;");
    EXPECT_EQ(gb.LoadResString(27), std::nullopt);
}

TEST(StringTables, ExpandTurnsEscapesAndPlaceholdersIntoText) {
    const struct {
        std::string text;
        std::vector<std::string> arguments;
        std::string expected;
    } rows[] = {{R"(a\nlb\rc\td\ne)", {}, "a\r\nb\rc\td\ne"},
                {R"(\\nl \\n)", {}, R"(\nl \n)"},
                {R"(\[1] \\[1])", {"x"}, "[1] [1]"},
                {"[1] [0] [3]", {"[2]", "y"}, "y [0] [3]"}};
    for (const auto& row : rows)
        EXPECT_EQ(ExpandString(row.text, row.arguments), row.expected) << row.text;
    EXPECT_EQ(ExpandString("Code Block [1]", 1908), "Code Block 1908");
    EXPECT_EQ(ReplaceAll("aa", "a", "aa"), "aaaa");
}

}  // namespace
}  // namespace muralto::i18n
