#include <gtest/gtest.h>

#include "app/CommandLine.h"

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

// -root draws the full-screen saver's frames; a window given with -window-id is a preview and
// wins over $XSCREENSAVER_WINDOW wherever the switches stand.
TEST(CommandLineTest, XScreenSaversSwitchesEmbedAsAPreview) {
    struct Case {
        std::vector<std::string> args;
        const char* environment;  // $XSCREENSAVER_WINDOW
        std::optional<std::uint32_t> window;
        bool fullScreenFrames;
    };
    for (const Case& c : {Case{{"-root"}, "0x2a", 42u, true}, Case{{"--root"}, "42", 42u, true},
                          Case{{"-root"}, "bogus", std::nullopt, true},
                          Case{{"--window-id", "300"}, nullptr, 300u, false},
                          Case{{"-window-id"}, nullptr, 0u, false},
                          Case{{"-window-id", "0x10", "-root"}, "0x2a", 16u, false}}) {
        const CommandLine cl = parseCommandLine(c.args, c.environment);
        EXPECT_EQ(cl.runMode, RunMode::Preview) << cl.text;
        EXPECT_TRUE(cl.xscreensaver) << cl.text;
        EXPECT_EQ(cl.embedWindow, c.window) << cl.text;
        EXPECT_EQ(cl.embedInRoot, !c.window) << cl.text;
        EXPECT_EQ(cl.fullScreenFrames, c.fullScreenFrames) << cl.text;
    }
}

}  // namespace
}  // namespace muralto::app
