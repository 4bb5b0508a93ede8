#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/gui/DesktopTextFormats.h"

namespace muralto::platform {
namespace {

TEST(ParseGVariantString, ReadsWhatGsettingsPrints) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"'file:///home/j/a.bmp'\n", "file:///home/j/a.bmp"},
        {"\"/home/j/it's.bmp\"", "/home/j/it's.bmp"},
        {R"('a\'b\\c\nd\te')", "a'b\\c\nd\te"},
        {R"('\u00e9\U0001F600')", "\xC3\xA9\xF0\x9F\x98\x80"},
        {"''", ""},
        {"@as []", std::nullopt},
        {"'abc\"", std::nullopt},
        {"'a'b'", std::nullopt},
        {R"('abc\')", std::nullopt},
        {R"('\u00')", std::nullopt},
    };
    for (const auto& [printed, value] : cases)
        EXPECT_EQ(parseGVariantString(printed), value) << printed;
}

TEST(WithIniValue, SetsOneKeyAndKeepsTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "[Desktop]\nBgColor=#000000\n"},
        {"[Other]\nBgColor=#fff\n[Desktop]\nBgColor = #123\nA=1\n",
         "[Other]\nBgColor=#fff\n[Desktop]\nBgColor=#000000\nA=1\n"},
        {"[Desktop]\nA=1\n\n[Next]\nB=2\n", "[Desktop]\nA=1\nBgColor=#000000\n\n[Next]\nB=2\n"},
        {"[Other]\nA=1", "[Other]\nA=1\n\n[Desktop]\nBgColor=#000000\n"},
        {"[Desktop]\nBgColorX=1\n", "[Desktop]\nBgColorX=1\nBgColor=#000000\n"},
    };
    for (const auto& [before, after] : cases)
        EXPECT_EQ(withIniValue(before, "Desktop", "BgColor", "#000000"), after) << before;
}

}  // namespace
}  // namespace muralto::platform
