#include <gtest/gtest.h>

#include <QCoreApplication>

#include <atomic>
#include <optional>
#include <thread>

#include "platform/gui/WallpaperChain.h"
#include "platform/gui/WallpaperDesktops.h"
#include "platform/gui/WallpaperTools.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

/// A backend that fails with `failure` (when set) and counts its calls; while `hold` is set it
/// does not return.
struct ScriptedSetter : WallpaperSetter {
    explicit ScriptedSetter(std::optional<std::string> reason = std::nullopt)
        : failure(std::move(reason)) {}
    bool setWallpaper(const WallpaperJob&, std::string* error) override {
        ++calls;
        while (hold)
            std::this_thread::yield();
        if (failure)
            reportError(error, *failure);
        return !failure;
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

struct SwayPathCase {
    const char* name;
    std::string path;
    std::optional<std::string> argument;
};

class SwayPathArgumentTest : public testing::TestWithParam<SwayPathCase> {};

/// sway takes the argument out of its double quotes unchanged and expands it as a shell word:
/// each of these came through a headless sway as the path itself.
TEST_P(SwayPathArgumentTest, EveryShellCharacterIsEscaped) {
    EXPECT_EQ(swayPathArgument(GetParam().path, nullptr), GetParam().argument);
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

struct DisplayCase {
    const char* name;
    std::string ourDisplay;
    std::string environment;  // of the running process, NUL-separated
    bool listed;
};

class ProcessesOnTheDisplay : public testing::TestWithParam<DisplayCase> {};

// Only a desktop manager on our own display draws our desktop.
TEST_P(ProcessesOnTheDisplay, CountOnlyOnTheProgramsDisplay) {
    const DisplayCase& c = GetParam();
    test::TempDir proc;
    proc.write("4242/cmdline", std::string("pcmanfm\0--desktop\0", 18));
    proc.write("4242/environ", c.environment);
    const auto lines = ProcProcessList(c.ourDisplay, proc.path().string()).commandLines();
    EXPECT_EQ(lines.size(), c.listed ? 1u : 0u);
}

const DisplayCase kDisplays[] = {
    {"SameDisplay", ":1", std::string("HOME=/h\0DISPLAY=:1\0", 20), true},
    {"OtherDisplay", ":1", std::string("DISPLAY=:10\0", 12), false},
    {"NoDisplay", ":1", std::string("HOME=/h\0", 8), false},
    {"DisplayAsAPrefixOnly", ":1", std::string("XDISPLAY=:1\0", 13), false},
    {"WeHaveNoDisplay", "", std::string("DISPLAY=:10\0", 12), true},
};

INSTANTIATE_TEST_SUITE_P(Displays, ProcessesOnTheDisplay, testing::ValuesIn(kDisplays),
                         test::byName);

}  // namespace
}  // namespace muralto::platform
