#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/gui/DesktopTextFormats.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

struct GVariantCase {
    const char* name;
    std::string printed;
    std::optional<std::string> value;
};

class ParseGVariantStringTest : public testing::TestWithParam<GVariantCase> {};

TEST_P(ParseGVariantStringTest, ReadsWhatGsettingsPrints) {
    EXPECT_EQ(parseGVariantString(GetParam().printed), GetParam().value);
}

const GVariantCase kPrinted[] = {
    {"SingleQuotes", "'file:///home/j/a.bmp'\n", "file:///home/j/a.bmp"},
    {"DoubleQuotesAroundAnApostrophe", "\"/home/j/it's.bmp\"", "/home/j/it's.bmp"},
    {"EscapedQuoteAndBackslash", R"('a\'b\\c')", R"(a'b\c)"},
    {"ControlEscapes", R"('a\nb\tc')", "a\nb\tc"},
    {"UnicodeEscapes", R"('\u00e9\U0001F600')", "\xC3\xA9\xF0\x9F\x98\x80"},
    {"EmptyString", "''", ""},
    {"NotAString", "@as []", std::nullopt},
    {"UnbalancedQuotes", "'abc\"", std::nullopt},
    {"QuoteInside", "'a'b'", std::nullopt},
    {"EscapedClosingQuote", R"('abc\')", std::nullopt},
    {"ShortUnicodeEscape", R"('\u00')", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Literals, ParseGVariantStringTest, testing::ValuesIn(kPrinted),
                         test::byName);

struct IniCase {
    const char* name;
    std::string before;
    std::string after;  // with [Desktop] BgColor set to #000000
};

class WithIniValueTest : public testing::TestWithParam<IniCase> {};

TEST_P(WithIniValueTest, SetsOneKeyAndKeepsTheRest) {
    EXPECT_EQ(withIniValue(GetParam().before, "Desktop", "BgColor", "#000000"), GetParam().after);
}

const IniCase kIniFiles[] = {
    {"EmptyFile", "", "[Desktop]\nBgColor=#000000\n"},
    {"ReplacesTheKeyInItsGroupOnly", "[Other]\nBgColor=#fff\n[Desktop]\nBgColor = #123\nA=1\n",
     "[Other]\nBgColor=#fff\n[Desktop]\nBgColor=#000000\nA=1\n"},
    {"AddsAfterTheGroupsLastEntry", "[Desktop]\nA=1\n\n[Next]\nB=2\n",
     "[Desktop]\nA=1\nBgColor=#000000\n\n[Next]\nB=2\n"},
    {"AddsTheGroup", "[Other]\nA=1", "[Other]\nA=1\n\n[Desktop]\nBgColor=#000000\n"},
    {"KeyNamesMatchWhole", "[Desktop]\nBgColorX=1\n", "[Desktop]\nBgColorX=1\nBgColor=#000000\n"},
};

INSTANTIATE_TEST_SUITE_P(Files, WithIniValueTest, testing::ValuesIn(kIniFiles), test::byName);

}  // namespace
}  // namespace muralto::platform
