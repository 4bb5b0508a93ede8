#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "platform/gui/BitmapCopies.h"
#include "platform/gui/DesktopTextFormats.h"
#include "platform/gui/WallpaperDesktops.h"
#include "platform/gui/WallpaperPlasma.h"
#include "platform/gui/WallpaperX11.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

using Args = std::vector<std::string>;

ProcessResult exited(int code, std::string output = {}, std::string errors = {}) {
    return {true, code, output, errors, {}};
}

/// Plays a desktop that works: records each run as {program, arguments...} and each Plasma
/// script as {"plasma", script}; gsettings and xfconf-query keep what is set and give it back
/// when asked (unless dropWrites: then a set succeeds and keeps nothing), swaymsg answers with
/// swayAnswer. A run that has `failing` among its arguments exits with 1; other programs get
/// `answer`. The running programs are `processes`.
struct FakeDesktop : ProcessRunner, PlasmaShell, ProcessList {
    ProcessResult run(const std::string& program, const Args& arguments) override {
        calls.push_back(arguments);
        calls.back().insert(calls.back().begin(), program);
        if (std::find(arguments.begin(), arguments.end(), failing) != arguments.end())
            return exited(1);
        if (program == "gsettings" && arguments.size() >= 3)
            return keep(arguments[1] + " " + arguments[2], arguments, 3);
        if (program == "xfconf-query" && arguments.size() >= 4 && arguments[2] == "-p")
            return keep(arguments[3], arguments, arguments.size() - 1);
        if (program == "xfconf-query")
            return exited(0, listing);
        if (program == "swaymsg")
            return swayAnswer;
        return answer;
    }
    Result<> evaluateScript(const std::string& script) override {
        calls.push_back({"plasma", script});
        return {};
    }
    std::vector<Args> commandLines() override { return processes; }

    /// A set stores the value at arguments[valueAt]; a get (no value) reads it back.
    ProcessResult keep(const std::string& key, const Args& arguments, std::size_t valueAt) {
        const bool sets = arguments[0] == "set" ||
                          std::find(arguments.begin(), arguments.end(), "-s") != arguments.end();
        if (sets && !dropWrites)
            settings[key] = arguments[valueAt];
        return sets ? exited(0) : exited(0, settings[key] + "\n");
    }

    std::vector<Args> calls;
    ProcessResult answer = exited(0);
    ProcessResult swayAnswer = exited(0, "[ { \"success\": true } ]");
    std::string listing;
    std::string failing;
    bool dropWrites = false;
    std::map<std::string, std::string> settings;
    std::vector<Args> processes;
};

TEST(ChooseWallpaperBackend, OverrideThenDesktopEntriesThenSessionVariables) {
    const std::pair<std::map<std::string, std::string>, const char*> cases[] = {
        {{}, "x11"},
        {{{"XDG_SESSION_TYPE", "Wayland"}}, "none"},
        {{{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}, "gnome"},
        {{{"XDG_CURRENT_DESKTOP", "MATE:GNOME"}}, "mate"},
        {{{"XDG_CURRENT_DESKTOP", "GNOME"}, {"KDE_SESSION_VERSION", "5"}}, "gnome"},
        {{{"KDE_SESSION_VERSION", "6"}, {"XDG_SESSION_TYPE", "wayland"}}, "kde"},
        {{{"SWAYSOCK", "/run/sway.sock"}, {"XDG_SESSION_TYPE", "wayland"}}, "sway"},
        {{{"MURALTO_WALLPAPER_BACKEND", "X11"}, {"XDG_SESSION_TYPE", "wayland"}}, "x11"},
        {{{"MURALTO_WALLPAPER_BACKEND", "bogus"}, {"XDG_CURRENT_DESKTOP", "XFCE"}}, "xfce"},
    };
    for (const auto& [variables, expected] : cases) {
        EXPECT_EQ(backendName(chooseWallpaperBackend({variables})), expected)
            << testing::PrintToString(variables);
    }
    EXPECT_EQ(placementForScaleFactor(1), Placement::Centred);
    EXPECT_EQ(placementForScaleFactor(2), Placement::Tiled);
}

/// Pictures spelled as rows of letters split by '|', one colour each; '.' is black.
QImage picture(const std::string& rows) {
    const int width = static_cast<int>(std::min(rows.find('|'), rows.size()));
    QImage image(width, static_cast<int>(rows.size() + 1) / (width + 1), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const char c = rows[y * (width + 1) + x];
            image.setPixel(x, y, c == '.' ? qRgb(0, 0, 0) : qRgb(c, 255 - c, 100));
        }
    }
    return image;
}

/// The user's bitmap, named so that every tool's quoting is put to work, and a fake desktop
/// whose desktop managers run.
class DesktopTest : public testing::Test {
protected:
    test::TempDir dir;
    std::string folder = dir.path().string() + "/";
    std::string bitmap = dir.write("j'doe \"\\\xff.bmp", "BM").string();
    std::shared_ptr<FakeDesktop> runner = [] {
        auto desktop = std::make_shared<FakeDesktop>();
        desktop->processes = {{"/usr/bin/pcmanfm", "--desktop", "--profile", "LXDE"},
                              {"pcmanfm-qt", "--desktop", "--profile=lxqt"}};
        return desktop;
    }();
    std::string config = (dir.path() / "config").string();
    WallpaperServices services{runner, runner, runner, config};

    std::unique_ptr<WallpaperSetter> make(WallpaperBackend backend) const {
        return makeWallpaperSetter(backend, services);
    }
    WallpaperJob job(Placement placement, const std::string& path = {}) const {
        return {path.empty() ? bitmap : path, placement, QSize(8, 6)};
    }

    std::string copy(int n) const {
        return folder + "j'doe \"\\\xff~" + std::to_string(n) + ".bmp";
    }
    std::string uri(int n) const {
        return fileUri(folder) + "j%27doe%20%22%5C%FF~" + std::to_string(n) + ".bmp";
    }
};

TEST_F(DesktopTest, EachDesktopGetsItsExactCommandsAndAFreshCopy) {
    using enum WallpaperBackend;
    const std::string gnome = "org.gnome.desktop.background", mate = "org.mate.background";
    const std::string ws0 = "/backdrop/screen0/monitorVirtual-1/workspace0";
    const std::string ws1 = "/backdrop/screen0/monitorVirtual-1/workspace1";
    runner->listing = ws0 + "/color-style\n" + ws0 + "/last-image\n" + ws1 +
                      "/last-image\n/backdrop/screen0/monitor0/image-path\n/desktop-icons\n";
    runner->failing = "picture-uri-dark";  // an older GNOME lacks the key, and that is fine
    const auto xfconf = [](std::string property, std::string type, std::string value) {
        return Args{"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-n", "-t", type,
                    "-s",           value};
    };
    const auto black = [](std::string property) {
        return Args{"xfconf-query",
                    "-c",
                    "xfce4-desktop",
                    "-p",
                    property,
                    "-n",
                    "-t",
                    "double",
                    "-t",
                    "double",
                    "-t",
                    "double",
                    "-t",
                    "double",
                    "-s",
                    "0",
                    "-s",
                    "0",
                    "-s",
                    "0",
                    "-s",
                    "1"};
    };
    const auto read = [](std::string property) {
        return Args{"xfconf-query", "-c", "xfce4-desktop", "-p", property};
    };
    const auto expect = [&](WallpaperBackend backend, Placement placement,
                            const std::vector<Args>& calls) {
        runner->calls.clear();
        const Result<> set = make(backend)->setWallpaper(job(placement));
        EXPECT_TRUE(set) << set.error();
        EXPECT_EQ(runner->calls, calls) << backendName(backend);
    };
    expect(Gnome, Placement::Centred,
           {{"gsettings", "set", gnome, "picture-options", "'centered'"},
            {"gsettings", "set", gnome, "primary-color", "'#000000'"},
            {"gsettings", "set", gnome, "color-shading-type", "'solid'"},
            {"gsettings", "set", gnome, "picture-uri", "'" + uri(1) + "'"},
            {"gsettings", "set", gnome, "picture-uri-dark", "'" + uri(1) + "'"},
            {"gsettings", "get", gnome, "picture-uri"}});
    expect(
        Mate, Placement::Tiled,
        {{"gsettings", "set", mate, "picture-options", "'wallpaper'"},
         {"gsettings", "set", mate, "primary-color", "'#000000'"},
         {"gsettings", "set", mate, "color-shading-type", "'solid'"},
         {"gsettings", "set", mate, "picture-filename", "'" + folder + "j\\'doe \"\\\\\xff~2.bmp'"},
         {"gsettings", "get", mate, "picture-filename"}});
    expect(Xfce, Placement::Tiled,
           {{"xfconf-query", "-c", "xfce4-desktop", "-l"},
            xfconf(ws0 + "/color-style", "int", "0"),
            black(ws0 + "/rgba1"),
            xfconf(ws0 + "/image-style", "int", "2"),
            xfconf(ws0 + "/last-image", "string", copy(3)),
            xfconf(ws1 + "/color-style", "int", "0"),
            black(ws1 + "/rgba1"),
            xfconf(ws1 + "/image-style", "int", "2"),
            xfconf(ws1 + "/last-image", "string", copy(3)),
            read(ws0 + "/last-image"),
            read(ws1 + "/last-image")});
    expect(Lxqt, Placement::Centred,
           {{"pcmanfm-qt", "--profile=lxqt", "--set-wallpaper", copy(4), "--wallpaper-mode",
             "center"}});
    expect(Lxde, Placement::Tiled,
           {{"pcmanfm", "--profile=LXDE", "--set-wallpaper", copy(5), "--wallpaper-mode", "tile"}});
    expect(Sway, Placement::Tiled,
           {{"swaymsg", "output", "*", "bg", "\"" + folder + "j\\'doe\\ \\\"\\\\\xff\\~6.bmp\"",
             "tile", "#000000"}});
}

/// The pcmanfm desktops keep their background colour in the profile's settings; it is made
/// black, other settings stay.
TEST_F(DesktopTest, PcmanfmDesktopsGetABlackBackgroundInTheirProfile) {
    dir.write("config/pcmanfm/LXDE/desktop-items-0.conf",
              "[*]\ndesktop_bg=#2e4060\nshow_trash=1\n");
    dir.write("config/pcmanfm/LXDE/desktop-items-1.conf", "[*]\nwallpaper_mode=crop\n");
    ASSERT_TRUE(make(WallpaperBackend::Lxde)->setWallpaper(job(Placement::Centred)));
    ASSERT_TRUE(make(WallpaperBackend::Lxqt)->setWallpaper(job(Placement::Centred)));
    EXPECT_EQ(test::readFile(dir.path() / "config/pcmanfm/LXDE/desktop-items-0.conf"),
              "[*]\ndesktop_bg=#000000\nshow_trash=1\n");
    EXPECT_EQ(test::readFile(dir.path() / "config/pcmanfm/LXDE/desktop-items-1.conf"),
              "[*]\nwallpaper_mode=crop\ndesktop_bg=#000000\n");
    EXPECT_EQ(test::readFile(dir.path() / "config/pcmanfm-qt/lxqt/settings.conf"),
              "[Desktop]\nBgColor=#000000\n");
}

/// Failures the desktop's tools hide or report; the change stops with a reason on one line.
TEST_F(DesktopTest, AFailureStopsTheChangeWithItsReason) {
    using enum WallpaperBackend;
    const auto garbage = dir.write("garbage.bmp", "BM this is no bitmap").string();
    const auto good = folder + "good.bmp";
    ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(good), "BMP"));
    const auto gone = folder + "gone.bmp";
    const auto x11 = [](const char* display) {
        return std::make_unique<X11WallpaperSetter>(display);
    };
    const ProcessResult swayParseError = exited(
        2, "[ { \"success\": false, \"parse_error\": true, \"error\": \"Invalid syntax\" } ]");
    struct Case {
        std::unique_ptr<WallpaperSetter> setter;
        std::string bitmap;
        std::function<void(FakeDesktop&)> desktop;
        std::size_t calls;
        std::string error;  // how the reason begins
    };
    const auto none = [](FakeDesktop&) {};
    const Case cases[] = {
        {make(Gnome), bitmap, [](FakeDesktop& d) { d.failing = "picture-options"; }, 1,
         "gsettings failed with exit code 1"},
        // No dconf to commit to: gsettings exits with 0 and the setting stays.
        {make(Cinnamon), bitmap, [](FakeDesktop& d) { d.dropWrites = true; }, 5,
         "gsettings reported success, but org.cinnamon.desktop.background picture-uri does not "
         "hold the new picture"},
        {make(Xfce), bitmap, [](FakeDesktop& d) { d.listing = "/desktop-icons/style\n"; }, 1,
         "xfconf-query lists no backdrop"},
        {make(Xfce), bitmap,
         [](FakeDesktop& d) {
             d.listing = "/backdrop/screen0/monitor0/workspace0/last-image\n";
             d.dropWrites = true;
         },
         6, "xfconf-query reported success, but /backdrop/screen0/monitor0/workspace0/last-image"},
        // Without its desktop manager pcmanfm waits on an error window, pcmanfm-qt does
        // nothing: neither is started.
        {make(Lxde), bitmap,
         [](FakeDesktop& d) {
             d.processes = {{"pcmanfm"}, {"pcmanfm-qt", "--desktop"}};
         },
         0, "pcmanfm's desktop manager is not running"},
        {make(Lxqt), bitmap,
         [](FakeDesktop& d) {
             d.processes = {{"pcmanfm", "--desktop"}};
         },
         0, "pcmanfm-qt's desktop manager is not running"},
        {make(Sway), bitmap, [&](FakeDesktop& d) { d.swayAnswer = swayParseError; }, 1,
         "sway refused the wallpaper: Invalid syntax"},
        {make(Sway), dir.write("new\nline.bmp", "BM").string(), none, 0,
         "sway cannot be given a picture whose folder or name holds a line break"},
        {make(Lxqt), gone, none, 0, "cannot copy " + gone + " to " + folder + "gone~1.bmp: "},
        {x11(""), garbage, none, 0, "cannot read the bitmap " + garbage},
        {x11("no-such-display"), good, none, 0, "cannot open the X display no-such-display"},
    };
    for (const auto& c : cases) {
        *runner = FakeDesktop{};
        runner->processes = {{"pcmanfm", "--desktop"}, {"pcmanfm-qt", "--desktop"}};
        c.desktop(*runner);
        const Result<> set = c.setter->setWallpaper(job(Placement::Centred, c.bitmap));
        EXPECT_FALSE(set);
        const std::string& error = set.error();
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(runner->calls.size(), c.calls) << c.error;
    }
}

/// Plasma centres its tiles; a tiled wallpaper is therefore one bitmap of the screen, tiled from
/// its top-left corner here, that Plasma shows centred.
TEST_F(DesktopTest, PlasmaGetsTheScreenTiledFromTheTopLeftCorner) {
    const auto setter = make(WallpaperBackend::Kde);
    const QImage tile = picture("AB.|CDE");
    ASSERT_TRUE(writeBmp(tile, bitmap));
    ASSERT_TRUE(setter->setWallpaper(job(Placement::Centred)));
    const Result<> tiled = setter->setWallpaper(job(Placement::Tiled));
    ASSERT_TRUE(tiled) << tiled.error();
    ASSERT_EQ(runner->calls.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        for (const std::string& part :
             Args{"[\"Wallpaper\", \"org.kde.image\", \"General\"]",
                  "wallpaperPlugin = \"org.kde.image\"",
                  "writeConfig(\"Image\", \"" + uri(i + 1) + "\")", "writeConfig(\"FillMode\", 6)"})
            EXPECT_NE(runner->calls[i][1].find(part), std::string::npos) << runner->calls[i][1];
    }
    EXPECT_EQ(readImage(copy(1)).size(), QSize(3, 2));
    const QImage screen = readImage(copy(2));
    EXPECT_EQ(screen.convertToFormat(QImage::Format_RGB32),
              picture("AB.AB.AB|CDECDECD|AB.AB.AB|CDECDECD|AB.AB.AB|CDECDECD"));
}

TEST(PackPixels, LaysOutPixelsAsTheServerExpects) {
    // Red, green, and a colour whose low bits show up in narrow channels.
    const QRgb pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF123456};
    const QImage image(reinterpret_cast<const uchar*>(pixels), 3, 1, QImage::Format_RGB32);
    const std::pair<XPixelFormat, std::vector<std::uint8_t>> cases[] = {
        {{24, 32, 32, false, 0xFF0000, 0xFF00, 0xFF},  // BGRX
         {0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x56, 0x34, 0x12, 0x00}},
        {{24, 32, 32, true, 0xFF0000, 0xFF00, 0xFF},  // XRGB
         {0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x12, 0x34, 0x56}},
        {{32, 32, 32, false, 0xFF0000, 0xFF00, 0xFF},  // the unused alpha bits are set
         {0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x56, 0x34, 0x12, 0xFF}},
        {{24, 24, 32, false, 0xFF0000, 0xFF00, 0xFF},  // rows padded to 32 bits
         {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00}},
        {{16, 16, 32, false, 0xF800, 0x07E0, 0x001F}, {0x00, 0xF8, 0xE0, 0x07, 0xAA, 0x11, 0, 0}},
        {{8, 8, 32, false, 0xE0, 0x1C, 0x03}, {}},  // unsupported
    };
    for (const auto& [format, bytes] : cases) {
        std::size_t stride = 99;
        EXPECT_EQ(packPixels(image, format, &stride), bytes) << format.bitsPerPixel;
        EXPECT_EQ(stride, bytes.size());
    }
}

struct ComposeCase {
    const char* name;
    std::string bitmap;
    QRect area;  // the primary monitor of an 8 x 3 screen
    Placement placement;
    std::string screen;
};

class ComposeScreenTest : public testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeScreenTest, PutsTheBitmapOnThePrimaryMonitorOnly) {
    const ComposeCase& c = GetParam();
    const QImage expected = picture(c.screen);
    const QImage screen = composeScreen(picture(c.bitmap), expected.size(), c.area, c.placement);
    ASSERT_EQ(screen.size(), expected.size());
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x)
            EXPECT_EQ(screen.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
    }
}

const QRect kWholeScreen(0, 0, 8, 3);
const QRect kRightMonitor(4, 0, 4, 3);

using enum Placement;
const ComposeCase kPlacements[] = {
    {"CentredOnTheWholeScreen", "ABC", kWholeScreen, Centred, "........|..ABC...|........"},
    {"CentredOnTheRightMonitor", "ABC", kRightMonitor, Centred, "........|....ABC.|........"},
    {"WiderBitmapCroppedEvenlyWithoutSpillingOver", "ABCDEF", kRightMonitor, Centred,
     "........|....BCDE|........"},
    {"TiledFromTheRightMonitorsCorner", "AB|CD", QRect(3, 1, 5, 2), Tiled,
     "........|...ABABA|...CDCDC"},
    {"TiledOverTheWholeScreen", "ABC|DEF", kWholeScreen, Tiled, "ABCABCAB|DEFDEFDE|ABCABCAB"},
};

INSTANTIATE_TEST_SUITE_P(Placements, ComposeScreenTest, testing::ValuesIn(kPlacements),
                         test::byName);

struct AreaCase {
    const char* name;
    std::vector<Monitor> monitors;
    QRect expected;  // on a 2048 x 768 screen
};

class WallpaperAreaTest : public testing::TestWithParam<AreaCase> {};

TEST_P(WallpaperAreaTest, IsThePrimaryMonitorCutToTheScreen) {
    EXPECT_EQ(wallpaperArea(GetParam().monitors, QSize(2048, 768)), GetParam().expected);
}

const QRect kLeft(0, 0, 1024, 768), kRight(1024, 0, 1024, 768), kScreen(0, 0, 2048, 768);
const AreaCase kMonitors[] = {
    {"NoneListedTakesTheWholeScreen", {}, kScreen},
    {"TheFlaggedOneWins", {{kLeft, false, true}, {kRight, true, false}}, kRight},
    {"ThenTheOneShowingThePrimaryOutput", {{kLeft, false, false}, {kRight, false, true}}, kRight},
    {"ThenTheFirstListed", {{kRight, false, false}, {kLeft, false, false}}, kRight},
    {"OneReachingPastTheScreenIsCut", {{QRect(1024, 0, 2000, 900), true, false}}, kRight},
    {"OneOffTheScreenTakesTheWholeScreen", {{QRect(4000, 0, 100, 100), true, false}}, kScreen},
};

INSTANTIATE_TEST_SUITE_P(Monitors, WallpaperAreaTest, testing::ValuesIn(kMonitors), test::byName);

struct UnsupportedCase {
    const char* name;
    std::map<std::string, std::string> variables;
    std::string reason;
};

class UnsupportedSessionTest : public testing::TestWithParam<UnsupportedCase> {};

TEST_P(UnsupportedSessionTest, TheNullBackendRefusesWithTheReason) {
    const auto setter = chooseWallpaperSetter({GetParam().variables});
    ASSERT_EQ(setter->name(), "none");
    const Result<> can = setter->canSetWallpaper();
    EXPECT_FALSE(can);
    EXPECT_EQ(can.error(), GetParam().reason);
    const Result<> set = setter->setWallpaper({"/tmp/jdoe.bmp", Placement::Centred, {}});
    EXPECT_FALSE(set);
    EXPECT_EQ(set.error(), GetParam().reason);
}

const std::string kNoWay = "no way to set the wallpaper is known on this Wayland session's desktop";
const UnsupportedCase kSessions[] = {
    {"UnknownWaylandDesktop",
     {{"XDG_SESSION_TYPE", "wayland"}, {"XDG_CURRENT_DESKTOP", "Hyprland"}},
     kNoWay + " (XDG_CURRENT_DESKTOP=Hyprland)"},
    {"UnnamedWaylandDesktop",
     {{"XDG_SESSION_TYPE", "wayland"}},
     kNoWay + " (XDG_CURRENT_DESKTOP is not set)"},
    {"ForcedOff",
     {{"MURALTO_WALLPAPER_BACKEND", "None"}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
     "MURALTO_WALLPAPER_BACKEND=none turns the wallpaper backend off"},
};

INSTANTIATE_TEST_SUITE_P(Sessions, UnsupportedSessionTest, testing::ValuesIn(kSessions),
                         test::byName);

}  // namespace
}  // namespace muralto::platform
