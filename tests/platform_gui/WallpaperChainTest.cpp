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

const std::string kNoManager = "pcmanfm's desktop manager is not running";

TEST(WallpaperChain, FallsBackAndSaysWhatFailedAndWhatItDoesInstead) {
    const std::string both = "the desktop did not take the wallpaper: " + kNoManager +
                             "; setting it on the X11 root window failed too: cannot open the X "
                             "display :9";
    const auto notice = [](const std::string& error) {
        return "The wallpaper cannot be changed: " + error +
               ". Muralto tries again at each change.";
    };
    using Reason = std::optional<std::string>;
    const std::tuple<Reason, bool, Reason, WallpaperOutcome, int> cases[] = {
        {std::nullopt, true, std::nullopt, {true, "", ""}, 0},
        {kNoManager, false, std::nullopt, {false, kNoManager, notice(kNoManager)}, 0},
        {kNoManager, true, "cannot open the X display :9", {false, both, notice(both)}, 1},
    };
    for (const auto& [desktopFailure, hasFallback, fallbackFailure, expected, calls] : cases) {
        auto fallback = std::make_unique<ScriptedSetter>(fallbackFailure);
        ScriptedSetter* fallbackSetter = fallback.get();
        WallpaperChain chain(std::make_unique<ScriptedSetter>(desktopFailure),
                             hasFallback ? std::move(fallback) : nullptr);
        const WallpaperOutcome outcome = chain.set({"/tmp/jdoe.bmp", Placement::Centred, {}});
        EXPECT_EQ(outcome.shown, expected.shown);
        EXPECT_EQ(outcome.error, expected.error);
        EXPECT_EQ(outcome.notice, expected.notice);
        EXPECT_EQ(fallbackSetter->calls, calls);
    }
}

// The root window backs up the desktops of X11 sessions only; end to end, an LXDE desktop on
// X11 falls back to it.
TEST(ChooseWallpaperChain, NoFallbackOutsideAnX11SessionOrOnTheRootWindowItself) {
    const std::pair<std::map<std::string, std::string>, std::string> cases[] = {
        {{{"XDG_CURRENT_DESKTOP", "GNOME"}, {"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "wayland"}},
         "gnome"},
        {{{"XDG_CURRENT_DESKTOP", "GNOME"}}, "gnome"},
        {{{"DISPLAY", ":0"}}, "x11"},
    };
    for (const auto& [variables, desktop] : cases) {
        const auto chain = chooseWallpaperChain({variables});
        EXPECT_EQ(chain->desktop().name(), desktop);
        EXPECT_EQ(chain->fallback(), nullptr) << desktop;
    }
}

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
    const WallpaperJob job{"/tmp/jdoe.bmp", Placement::Centred, {}};
    worker.start(job, [&](const WallpaperOutcome& outcome) { first = outcome; });
    EXPECT_TRUE(worker.busy());
    worker.start(job, [&](const WallpaperOutcome& outcome) { second = outcome; });
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->shown);
    EXPECT_FALSE(first);
    desktop->hold = false;
    ASSERT_TRUE(test::processUntil([&] { return first.has_value(); }));
    EXPECT_TRUE(first->shown);
    EXPECT_NE(first->notice.find(kNoManager), std::string::npos);
    EXPECT_FALSE(worker.busy());
}

/// sway takes the argument out of its double quotes unchanged and expands it as a shell word:
/// each of these came through a headless sway as the path itself.
TEST(SwayPathArgument, EveryShellCharacterIsEscaped) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"/home/j/Az09-b_c.d,e:f@g%h+i.bmp", "\"/home/j/Az09-b_c.d,e:f@g%h+i.bmp\""},
        {R"(/a'b "$(x)\`;)"
         "\t"
         R"(~{c,d}*?[e])",
         "\""
         R"(/a\'b\ \"\$\(x\)\\\`\;\)"
         "\t"
         R"(\~\{c,d\}\*\?\[e\])"
         "\""},
        {"/new\nline", std::nullopt},
    };
    for (const auto& [path, expected] : cases) {
        const Result<std::string> argument = swayPathArgument(path);
        EXPECT_EQ(argument ? std::optional(*argument) : std::nullopt, expected) << path;
    }
}

TEST(DesktopManagerProfile, FindsTheRunningDesktopManager) {
    using Processes = std::vector<std::vector<std::string>>;
    const std::pair<Processes, std::optional<std::string>> cases[] = {
        {{{"bash"}, {"pcmanfm"}, {"pcmanfm", "--desktop-off"}}, std::nullopt},
        {{{"/usr/bin/pcmanfm", "--desktop"}}, "default"},
        {{{"pcmanfm", "--desktop", "--profile", "LXDE"}}, "LXDE"},
        {{{"pcmanfm", "--profile=LXDE", "--desktop"}}, "LXDE"},
        {{{"pcmanfm", "-p", "lubuntu", "--desktop"}}, "lubuntu"},
    };
    for (const auto& [processes, profile] : cases)
        EXPECT_EQ(desktopManagerProfile(processes, "pcmanfm"), profile);
}

}  // namespace
}  // namespace muralto::platform
