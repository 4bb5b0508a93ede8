#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <optional>
#include <thread>

#include "platform/gui/WallpaperChain.h"
#include "platform/gui/WallpaperDesktops.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

/// A backend that fails with `failure` (when set) and counts its calls; while `hold` is set it
/// does not return.
struct ScriptedSetter : WallpaperSetter {
    explicit ScriptedSetter(std::optional<std::string> reason = std::nullopt)
        : failure(std::move(reason)) {}
    Result<> setWallpaper(const WallpaperJob&) override {
        ++calls;
        while (hold)
            std::this_thread::yield();
        if (failure)
            return Failure{*failure};
        return {};
    }
    std::string_view name() const override { return "scripted"; }
    std::optional<std::string> failure;
    std::atomic<int> calls = 0;
    std::atomic<bool> hold = false;
};

struct ChainCase {
    const char* name;
    std::optional<std::string> desktopFailure;
    bool hasFallback;
    std::optional<std::string> fallbackFailure;
    WallpaperOutcome expected;
    int fallbackCalls;
};

class WallpaperChainTest : public testing::TestWithParam<ChainCase> {};

TEST_P(WallpaperChainTest, FallsBackAndSaysWhatFailedAndWhatItDoesInstead) {
    const ChainCase& c = GetParam();
    auto fallback = std::make_unique<ScriptedSetter>(c.fallbackFailure);
    ScriptedSetter* fallbackSetter = fallback.get();
    WallpaperChain chain(std::make_unique<ScriptedSetter>(c.desktopFailure),
                         c.hasFallback ? std::move(fallback) : nullptr);
    const WallpaperOutcome outcome = chain.set({"/tmp/jdoe.bmp", Placement::Centred, {}});
    EXPECT_EQ(outcome.shown, c.expected.shown);
    EXPECT_EQ(outcome.error, c.expected.error);
    EXPECT_EQ(outcome.notice, c.expected.notice);
    EXPECT_EQ(fallbackSetter->calls, c.fallbackCalls);
}

const std::string kNoManager = "pcmanfm's desktop manager is not running";
const ChainCase kChains[] = {
    {"DesktopTakesIt", std::nullopt, true, std::nullopt, {true, "", ""}, 0},
    {"RootWindowInstead",
     kNoManager,
     true,
     std::nullopt,
     {true, "",
      "The desktop did not take the wallpaper: " + kNoManager +
          ". Muralto sets it on the X11 root window instead."},
     1},
    {"NoOtherWay",
     kNoManager,
     false,
     std::nullopt,
     {false, kNoManager,
      "The wallpaper cannot be changed: " + kNoManager + ". Muralto tries again at each change."},
     0},
    {"BothFail",
     kNoManager,
     true,
     "cannot open the X display :9",
     {false,
      "the desktop did not take the wallpaper: " + kNoManager +
          "; setting it on the X11 root window failed too: cannot open the X display :9",
      "The wallpaper cannot be changed: the desktop did not take the wallpaper: " + kNoManager +
          "; setting it on the X11 root window failed too: cannot open the X display :9. "
          "Muralto tries again at each change."},
     1},
};

INSTANTIATE_TEST_SUITE_P(Outcomes, WallpaperChainTest, testing::ValuesIn(kChains), test::byName);

struct SessionCase {
    const char* name;
    std::map<std::string, std::string> variables;
    std::string desktop;
    bool fallsBackToX11;
};

class ChooseWallpaperChainTest : public testing::TestWithParam<SessionCase> {};

TEST_P(ChooseWallpaperChainTest, TheRootWindowBacksUpDesktopsOfX11SessionsOnly) {
    const auto chain = chooseWallpaperChain({GetParam().variables});
    EXPECT_EQ(chain->desktop().name(), GetParam().desktop);
    ASSERT_EQ(chain->fallback() != nullptr, GetParam().fallsBackToX11);
    if (chain->fallback()) {
        EXPECT_EQ(chain->fallback()->name(), "x11");
    }
}

const SessionCase kSessions[] = {
    {"LxdeOnX11", {{"XDG_CURRENT_DESKTOP", "LXDE"}, {"DISPLAY", ":0"}}, "lxde", true},
    {"XfceOnX11",
     {{"XDG_CURRENT_DESKTOP", "XFCE"}, {"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}},
     "xfce",
     true},
    {"GnomeOnWaylandWithXwayland",
     {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "wayland"}},
     "gnome",
     false},
    {"GnomeWithoutDisplay", {{"XDG_CURRENT_DESKTOP", "GNOME"}}, "gnome", false},
    {"PlainX11IsTheRootWindowAlready", {{"DISPLAY", ":0"}}, "x11", false},
    {"Unsupported", {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}}, "none", false},
};

INSTANTIATE_TEST_SUITE_P(Sessions, ChooseWallpaperChainTest, testing::ValuesIn(kSessions),
                         test::byName);

/// A desktop that takes its time holds up nobody: start returns at once, a second change
/// meanwhile is refused, and the outcome comes through the event loop.
TEST(WallpaperWorker, RunsTheChangeBesideTheEventLoop) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    auto slow = std::make_unique<ScriptedSetter>(kNoManager);
    ScriptedSetter* desktop = slow.get();
    desktop->hold = true;
    WallpaperWorker worker(
        std::make_shared<WallpaperChain>(std::move(slow), std::make_unique<ScriptedSetter>()));
    std::optional<WallpaperOutcome> first, second;
    worker.start({"/tmp/jdoe.bmp", Placement::Centred, {}},
                 [&](const WallpaperOutcome& outcome) { first = outcome; });
    EXPECT_TRUE(worker.busy());
    worker.start({"/tmp/jdoe.bmp", Placement::Centred, {}},
                 [&](const WallpaperOutcome& outcome) { second = outcome; });
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->shown);
    EXPECT_FALSE(first);
    desktop->hold = false;
    ASSERT_TRUE(test::processUntil([&] { return first.has_value(); }));
    EXPECT_TRUE(first->shown);
    EXPECT_NE(first->notice.find(kNoManager), std::string::npos);
    EXPECT_FALSE(worker.busy());
}

struct SwayPathCase {
    const char* name;
    std::string path;
    std::optional<std::string> argument;
};

class SwayPathArgumentTest : public testing::TestWithParam<SwayPathCase> {};

/// sway takes the argument out of its double quotes unchanged and expands it as a shell word:
/// each of these came through a headless sway as the path itself.
TEST_P(SwayPathArgumentTest, EveryShellCharacterIsEscaped) {
    const Result<std::string> argument = swayPathArgument(GetParam().path);
    EXPECT_EQ(argument ? std::optional(*argument) : std::nullopt, GetParam().argument);
}

const SwayPathCase kSwayPaths[] = {
    {"Plain", "/home/j/a-b_c.d,e:f@g%h+i.bmp", "\"/home/j/a-b_c.d,e:f@g%h+i.bmp\""},
    {"Apostrophe", "/it's.bmp", R"("/it\'s.bmp")"},
    {"DoubleQuote", "/a\"b.bmp", R"("/a\"b.bmp")"},
    {"DollarAndCommand", "/sub $(echo X)/$HOME.bmp", R"("/sub\ \$\(echo\ X\)/\$HOME.bmp")"},
    {"BackslashAndBacktick", "/a\\b`id`", R"("/a\\b\`id\`")"},
    {"BlanksAndTab", "/two  b\tt", "\"/two\\ \\ b\\\tt\""},
    {"GlobBracesTilde", "/~{a,b}*?[x]", R"("/\~\{a,b\}\*\?\[x\]")"},
    {"SeparatorsOfSwayCommands", "/a;b", R"("/a\;b")"},
    {"NonAsciiBytesStay", "/\xC3\xA9t\xC3\xA9\xFF", "\"/\xC3\xA9t\xC3\xA9\xFF\""},
    {"LineBreakRefused", "/new\nline", std::nullopt},
    {"CarriageReturnRefused", "/a\rb", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Paths, SwayPathArgumentTest, testing::ValuesIn(kSwayPaths), test::byName);

struct ProfileCase {
    const char* name;
    std::vector<std::vector<std::string>> processes;
    std::optional<std::string> profile;  // of pcmanfm's desktop manager
};

class DesktopManagerProfileTest : public testing::TestWithParam<ProfileCase> {};

TEST_P(DesktopManagerProfileTest, FindsTheRunningDesktopManager) {
    EXPECT_EQ(desktopManagerProfile(GetParam().processes, "pcmanfm"), GetParam().profile);
}

const ProfileCase kProcesses[] = {
    {"NoneRuns", {{"bash"}, {"pcmanfm"}, {"pcmanfm", "--desktop-off"}}, std::nullopt},
    {"AnotherProgramsDesktop", {{"pcmanfm-qt", "--desktop"}}, std::nullopt},
    {"DefaultProfile", {{"/usr/bin/pcmanfm", "--desktop"}}, "default"},
    {"ProfileAfterASpace", {{"pcmanfm", "--desktop", "--profile", "LXDE"}}, "LXDE"},
    {"ProfileWithEquals", {{"pcmanfm", "--profile=LXDE", "--desktop"}}, "LXDE"},
    {"ShortProfile", {{"pcmanfm", "-p", "lubuntu", "--desktop"}}, "lubuntu"},
};

INSTANTIATE_TEST_SUITE_P(Processes, DesktopManagerProfileTest, testing::ValuesIn(kProcesses),
                         test::byName);

}  // namespace
}  // namespace muralto::platform
