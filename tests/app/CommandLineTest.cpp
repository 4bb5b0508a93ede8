#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "tests/support/TestSupport.h"

namespace muralto::app {
namespace {

using settings::RunMode;

struct ModeCase {
    std::string name;
    std::vector<std::string> args;
    RunMode mode;
    bool passwordChange;
};

class SwitchDetection : public testing::TestWithParam<ModeCase> {};

TEST_P(SwitchDetection, FindsTheFirstSwitchInFixedOrder) {
    const CommandLine cl = parseCommandLine(GetParam().args, nullptr);
    EXPECT_EQ(cl.runMode, GetParam().mode) << cl.text;
    EXPECT_EQ(cl.passwordChange, GetParam().passwordChange) << cl.text;
}

// The switches are found in the order /c, /s, /a, /p, wherever they stand in the text.
INSTANTIATE_TEST_SUITE_P(
    Arguments, SwitchDetection,
    testing::Values(ModeCase{"None", {}, RunMode::Wallpaper, false},
                    ModeCase{"UpperCaseIsNoSwitch", {"/S"}, RunMode::Wallpaper, false},
                    ModeCase{"Saver", {"/s"}, RunMode::Saver, false},
                    ModeCase{"Options", {"/c"}, RunMode::Options, false},
                    ModeCase{"OptionsWithWindow", {"/c:1234"}, RunMode::Options, false},
                    ModeCase{"OptionsBeforeSaver", {"/s", "/c"}, RunMode::Options, false},
                    ModeCase{"SaverBeforePreview", {"/p", "/s"}, RunMode::Saver, false},
                    ModeCase{"SaverBeforePassword", {"/a", "/s"}, RunMode::Saver, false},
                    ModeCase{"PasswordBeforePreview", {"/p", "/a"}, RunMode::Wallpaper, true},
                    ModeCase{"InsideAWord", {"x/sy"}, RunMode::Saver, false},
                    ModeCase{"Password", {"/a", "77"}, RunMode::Wallpaper, true},
                    ModeCase{"Preview", {"/p", "42"}, RunMode::Preview, false},
                    ModeCase{"Unknown", {"--unknown"}, RunMode::Wallpaper, false}),
    muralto::test::byName);

TEST(CommandLineTest, ReadsWindowHandlesAsNumbers) {
    struct Case {
        std::vector<std::string> args;
        std::int32_t host, rectWindow;
    };
    for (const Case& c : {Case{{"/a", "1234"}, 0, 0}, Case{{"/a"}, 0, 0}, Case{{"/a", "x12"}, 0, 0},
                          Case{{"/p", "5678"}, 5678, 5678}, Case{{"/p"}, 0, 0},
                          Case{{"/p:99", "5678"}, 5678, 0}, Case{{"/p", "12.5"}, 12, 12}}) {
        const CommandLine cl = parseCommandLine(c.args, nullptr);
        EXPECT_EQ(cl.previewHost, c.host) << cl.text;
        EXPECT_EQ(cl.previewRectWindow, c.rectWindow) << cl.text;
    }
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
        EmbedCase{"RootAlone", {"-root"}, nullptr, std::nullopt, true, true},
        EmbedCase{"RootBogusWindow", {"-root"}, "bogus", std::nullopt, true, true},
        EmbedCase{"WindowIdHex", {"-window-id", "0x10"}, nullptr, 16u, false, false},
        EmbedCase{"WindowIdDecimal", {"--window-id", "300"}, nullptr, 300u, false, false},
        EmbedCase{"WindowIdMissing", {"-window-id"}, nullptr, 0u, false, false},
        EmbedCase{"SettingsPreview",
                  {"--root", "--window-id", "0x800E22"},
                  "0x800E22",
                  0x800E22u,
                  false,
                  false},
        EmbedCase{"WindowIdBeforeRoot", {"-window-id", "0x10", "-root"}, "0x2a", 16u, false, false},
        EmbedCase{"WindowIdAfterRoot", {"-root", "-window-id", "0x10"}, "0x2a", 16u, false, false}),
    muralto::test::byName);

TEST(CommandLineTest, TheSaversOwnSwitchesComeFirst) {
    const CommandLine cl = parseCommandLine({"/s", "-root"}, "0x2a");
    EXPECT_EQ(cl.runMode, RunMode::Saver);
    EXPECT_FALSE(cl.xscreensaver);
    EXPECT_FALSE(parseCommandLine({"/p", "5"}, "0x2a").xscreensaver);
}

TEST(CommandLineTest, HelpAndVersionAreRecognisedAnywhere) {
    EXPECT_TRUE(parseCommandLine({"/s", "--help"}, nullptr).help);
    EXPECT_TRUE(parseCommandLine({"--version"}, nullptr).version);
    EXPECT_FALSE(parseCommandLine({"-help"}, nullptr).help);
}

}  // namespace
}  // namespace muralto::app
