#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "tests/support/TestSupport.h"

namespace muralto::app {
namespace {

using settings::RunMode;

// The switches are found in the order /c, /s, /a, /p, wherever they stand in the text; a window
// handle is the number after the first blank, the preview's rectangle the one after "/p".
TEST(CommandLineTest, FindsTheFirstSwitchInFixedOrderAndItsHandles) {
    struct Case {
        std::vector<std::string> args;
        RunMode mode;
        bool passwordChange;
        std::int32_t host = 0, rectWindow = 0;
    };
    for (const Case& c :
         {Case{{"/S"}, RunMode::Wallpaper, false}, Case{{"/s", "/c"}, RunMode::Options, false},
          Case{{"/p", "/s"}, RunMode::Saver, false}, Case{{"/a", "/s"}, RunMode::Saver, false},
          Case{{"/p", "/a"}, RunMode::Wallpaper, true}, Case{{"x/sy"}, RunMode::Saver, false},
          Case{{"/p", "5678"}, RunMode::Preview, false, 5678, 5678},
          Case{{"/p:99", "5678"}, RunMode::Preview, false, 5678, 0},
          Case{{"/p", "12.5"}, RunMode::Preview, false, 12, 12}}) {
        const CommandLine cl = parseCommandLine(c.args, nullptr);
        EXPECT_EQ(cl.runMode, c.mode) << cl.text;
        EXPECT_EQ(cl.passwordChange, c.passwordChange) << cl.text;
        EXPECT_EQ(cl.previewHost, c.host) << cl.text;
        EXPECT_EQ(cl.previewRectWindow, c.rectWindow) << cl.text;
        EXPECT_FALSE(cl.xscreensaver) << cl.text;
    }
    EXPECT_FALSE(parseCommandLine({"/s", "-root"}, "0x2a").xscreensaver);
}

struct EmbedCase {
    std::string name;
    std::vector<std::string> args;
    const char* environment;  // $XSCREENSAVER_WINDOW
    std::optional<std::uint32_t> window;
    bool root;
    bool fullScreenFrames;
};

class XScreenSaverSwitches : public testing::TestWithParam<EmbedCase> {};

TEST_P(XScreenSaverSwitches, EmbedAsAPreview) {
    const EmbedCase& c = GetParam();
    const CommandLine cl = parseCommandLine(c.args, c.environment);
    EXPECT_EQ(cl.runMode, RunMode::Preview);
    EXPECT_TRUE(cl.xscreensaver);
    EXPECT_EQ(cl.embedWindow, c.window);
    EXPECT_EQ(cl.embedInRoot, c.root);
    EXPECT_EQ(cl.fullScreenFrames, c.fullScreenFrames);
}

// -root draws the full-screen saver's frames; a window given with -window-id is a preview and
// wins over $XSCREENSAVER_WINDOW wherever the switches stand.
INSTANTIATE_TEST_SUITE_P(
    Arguments, XScreenSaverSwitches,
    testing::Values(
        EmbedCase{"RootHex", {"-root"}, "0x2a", 42u, false, true},
        EmbedCase{"RootDecimal", {"--root"}, "42", 42u, false, true},
        EmbedCase{"RootBogusWindow", {"-root"}, "bogus", std::nullopt, true, true},
        EmbedCase{"WindowIdDecimal", {"--window-id", "300"}, nullptr, 300u, false, false},
        EmbedCase{"WindowIdMissing", {"-window-id"}, nullptr, 0u, false, false},
        EmbedCase{
            "WindowIdBeforeRoot", {"-window-id", "0x10", "-root"}, "0x2a", 16u, false, false}),
    muralto::test::byName);

TEST(CommandLineTest, HelpAndVersionAreRecognisedAnywhere) {
    EXPECT_TRUE(parseCommandLine({"/s", "--help"}, nullptr).help);
    EXPECT_TRUE(parseCommandLine({"--version"}, nullptr).version);
    EXPECT_FALSE(parseCommandLine({"-help"}, nullptr).help);
}

}  // namespace
}  // namespace muralto::app
