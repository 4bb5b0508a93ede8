#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <map>
#include <set>

#include "platform/gui/WallpaperChain.h"
#include "platform/gui/WallpaperSwaybg.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr char kNoLayerShell[] =
    "exit status 1: 2026-12-07 06:41:08 - [main.c:293] Compositor does not support wlr-layer-shell";

/// Children that run until told. Each start and stop is recorded with the time slept so far
/// ("100 start 2 tile ~2", "200 stop 1"); a start whose number is in endAtOnce ends at once,
/// with kNoLayerShell.
struct FakeChildren : ChildProcesses {
    std::string find(const std::string& program) const override {
        return installed ? "/usr/bin/" + program : "";
    }
    Result<int> start(const std::string& file, const std::vector<std::string>& arguments) override {
        const int id = ++started;
        std::string line = stamp() + "start " + std::to_string(id);
        for (const auto& argument : arguments) {
            if (argument == "tile" || argument == "center")
                line += " " + argument;
        }
        const std::string& path = arguments.at(3);
        events.push_back(line + " " + path.substr(path.find('~')));
        EXPECT_EQ(file, "/usr/bin/swaybg");
        if (endAtOnce.count(id))
            endings[id] = kNoLayerShell;
        return id;
    }
    std::optional<std::string> ended(int id) override {
        const auto end = endings.find(id);
        return end == endings.end() ? std::nullopt : std::optional(end->second);
    }
    void stop(int id) override { events.push_back(stamp() + "stop " + std::to_string(id)); }
    std::string stamp() const { return std::to_string(slept) + " "; }

    bool installed = true;
    int started = 0;
    int slept = 0;  ///< ms
    std::set<int> endAtOnce;
    std::map<int, std::string> endings;
    std::vector<std::string> events;
};

const std::string kStartedAgain =
    "swaybg, which drew the wallpaper, ended (killed by signal 9); Muralto started it again.";

struct Change {
    std::function<void(FakeChildren&)> before;  ///< what happens before the change
    Placement placement;
    std::string error;   ///< how the failure's reason begins; empty: the change works
    std::string notice;  ///< the notice of a change that worked
};

struct SwaybgCase {
    const char* name;
    std::vector<Change> changes;
    std::vector<std::string> events;  ///< after the setter has gone
    std::string unsupported;          ///< how canSetWallpaper's reason begins, after the changes
};

const auto nothing = [](FakeChildren&) {};
const std::string kEndedAtOnce =
    "swaybg ended at once (exit status 1: Compositor does not support wlr-layer-shell)";

const SwaybgCase kSwaybgCases[] = {
    {"TheNewOneStartsBeforeTheOldOneEndsAfterTheOverlap",
     {{nothing, Placement::Centred, "", ""}, {nothing, Placement::Tiled, "", ""}},
     {"0 start 1 center ~1.bmp", "100 start 2 tile ~2.bmp", "200 stop 1", "200 stop 2"},
     ""},
    {"TheFirstEndingAtOnceMeansNoLayerShellFromThenOn",
     {{[](FakeChildren& c) { c.endAtOnce = {1}; }, Placement::Centred,
       kEndedAtOnce + ": it cannot draw a wallpaper on this session (it needs a compositor "
                      "with the layer-shell protocol",
       ""}},
     {"0 start 1 center ~1.bmp", "0 stop 1"},
     kEndedAtOnce},
    {"ALaterOneEndingAtOnceLeavesThePreviousOneDrawing",
     {{nothing, Placement::Centred, "", ""},
      {[](FakeChildren& c) { c.endAtOnce = {2}; }, Placement::Centred, kEndedAtOnce + "$", ""},
      {nothing, Placement::Tiled, "", ""}},
     {"0 start 1 center ~1.bmp", "100 start 2 center ~2.bmp", "100 stop 2",
      "100 start 3 tile ~3.bmp", "200 stop 1", "200 stop 3"},
     ""},
    {"OneThatDiedIsToldAndStartedAgainAtTheNextChange",
     {{nothing, Placement::Tiled, "", ""},
      {[](FakeChildren& c) { c.endings[1] = "killed by signal 9"; }, Placement::Tiled, "",
       kStartedAgain},
      {nothing, Placement::Tiled, "", ""}},
     {"0 start 1 tile ~1.bmp", "100 stop 1", "100 start 2 tile ~2.bmp", "200 start 3 tile ~3.bmp",
      "300 stop 2", "300 stop 3"},
     ""},
    {"MissingSwaybgNamesItsPackage",
     {{[](FakeChildren& c) { c.installed = false; }, Placement::Centred,
       "swaybg, which draws the wallpaper on Wayland compositors without a wallpaper service of "
       "their own, is not installed (Debian package swaybg)",
       ""}},
     {},
     "swaybg, which draws"},
};

class SwaybgChanges : public testing::TestWithParam<SwaybgCase> {};

TEST_P(SwaybgChanges, ChangesAndFailures) {
    const SwaybgCase& c = GetParam();
    test::TempDir dir;
    const std::string bitmap = dir.write("jdoe.bmp", "BM").string();
    auto children = std::make_shared<FakeChildren>();
    SwaybgTiming timing{std::chrono::milliseconds(100), std::chrono::milliseconds(20),
                        [&](std::chrono::milliseconds time) { children->slept += time.count(); }};
    {
        WallpaperChain chain(std::make_unique<SwaybgWallpaperSetter>(children, timing), nullptr);
        for (std::size_t i = 0; i < c.changes.size(); ++i) {
            const Change& change = c.changes[i];
            change.before(*children);
            const WallpaperOutcome outcome = chain.set({bitmap, change.placement, QSize(8, 6)});
            EXPECT_EQ(outcome.shown, change.error.empty()) << i << ": " << outcome.error;
            if (change.error.empty()) {
                EXPECT_EQ(outcome.notice, change.notice) << i;
            } else if (change.error.back() == '$') {
                EXPECT_EQ(outcome.error, change.error.substr(0, change.error.size() - 1)) << i;
            } else {
                EXPECT_EQ(outcome.error.substr(0, change.error.size()), change.error) << i;
            }
        }
        const Result<> can = chain.canSetWallpaper();
        EXPECT_EQ(can.error().substr(0, c.unsupported.size()), c.unsupported);
        EXPECT_EQ(static_cast<bool>(can), c.unsupported.empty()) << can.error();
    }
    EXPECT_EQ(children->events, c.events);
}

INSTANTIATE_TEST_SUITE_P(Swaybg, SwaybgChanges, testing::ValuesIn(kSwaybgCases), test::byName);

TEST(SwaybgArguments, EveryOutputThePlacementsModeOnBlack) {
    EXPECT_EQ(
        swaybgArguments("/a b/c", Placement::Centred),
        (std::vector<std::string>{"-o", "*", "-i", "/a b/c", "-m", "center", "-c", "#000000"}));
    EXPECT_EQ(swaybgArguments("/x", Placement::Tiled).at(5), "tile");
}

// swaybg is chosen on a Wayland session of no known desktop, and only where PATH has it.
TEST(ChooseWallpaperBackend, SwaybgOnAnUnknownWaylandDesktopWhenInstalled) {
    test::TempDir dir;
    const auto swaybg = dir.write("bin/swaybg", "#!/bin/sh\n");
    dir.write("plain/swaybg", "not executable");
    ::chmod(swaybg.c_str(), 0755);
    const std::string bin = dir.path().string() + "/bin";
    const std::string plain = dir.path().string() + "/plain";
    const std::pair<std::map<std::string, std::string>, const char*> cases[] = {
        {{{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "Hyprland"}, {"PATH", bin}},
         "swaybg"},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"PATH", "/nowhere::" + plain + ":" + bin}}, "swaybg"},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"PATH", plain}}, "none"},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "sway"}, {"PATH", bin}}, "sway"},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"SWAYSOCK", "/run/s.sock"}, {"PATH", bin}}, "sway"},
        {{{"XDG_CURRENT_DESKTOP", "Hyprland"}, {"PATH", bin}}, "x11"},
        {{{"MURALTO_WALLPAPER_BACKEND", "SwayBG"}, {"PATH", plain}}, "swaybg"},
    };
    for (const auto& [variables, expected] : cases) {
        EXPECT_EQ(backendName(chooseWallpaperBackend({variables})), expected)
            << testing::PrintToString(variables);
    }
    const std::string reason = unsupportedSessionReason(
        {{{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "niri"}}});
    EXPECT_NE(reason.find("(XDG_CURRENT_DESKTOP=niri), and swaybg"), std::string::npos) << reason;
    EXPECT_NE(reason.find("(Debian package swaybg)"), std::string::npos) << reason;
}

}  // namespace
}  // namespace muralto::platform
