#include <gtest/gtest.h>

#include "WallpaperSetter.h"
#include "WallpaperTools.h"

namespace muralto::platform {
namespace {

struct ChooserCase {
    const char* label;
    std::map<std::string, std::string> variables;
    const char* expected;
};

class ChooserTest : public testing::TestWithParam<ChooserCase> {};

TEST_P(ChooserTest, PicksTheSessionsBackend) {
    const Environment environment{GetParam().variables};
    EXPECT_EQ(backendName(chooseWallpaperBackend(environment)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, ChooserTest,
    testing::Values(
        ChooserCase{"Nothing", {}, "x11"},
        ChooserCase{"PlainX11", {{"XDG_SESSION_TYPE", "x11"}}, "x11"},
        ChooserCase{"UnknownWayland", {{"XDG_SESSION_TYPE", "wayland"}}, "none"},
        ChooserCase{"WaylandInCapitals", {{"XDG_SESSION_TYPE", "Wayland"}}, "none"},
        ChooserCase{"Gnome", {{"XDG_CURRENT_DESKTOP", "GNOME"}}, "gnome"},
        ChooserCase{"UbuntuGnome", {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}}, "gnome"},
        ChooserCase{"GnomeClassic", {{"XDG_CURRENT_DESKTOP", "GNOME-Classic:GNOME"}}, "gnome"},
        ChooserCase{"Unity", {{"XDG_CURRENT_DESKTOP", "Unity:Unity7:ubuntu"}}, "gnome"},
        ChooserCase{"Budgie", {{"XDG_CURRENT_DESKTOP", "Budgie:GNOME"}}, "gnome"},
        ChooserCase{"Cinnamon", {{"XDG_CURRENT_DESKTOP", "X-Cinnamon"}}, "cinnamon"},
        ChooserCase{"Mate", {{"XDG_CURRENT_DESKTOP", "MATE"}}, "mate"},
        ChooserCase{"Xfce", {{"XDG_CURRENT_DESKTOP", "XFCE"}}, "xfce"},
        ChooserCase{"Plasma", {{"XDG_CURRENT_DESKTOP", "KDE"}}, "kde"},
        ChooserCase{"Lxqt", {{"XDG_CURRENT_DESKTOP", "LXQt"}}, "lxqt"},
        ChooserCase{"Lxde", {{"XDG_CURRENT_DESKTOP", "LXDE"}}, "lxde"},
        ChooserCase{"Sway", {{"XDG_CURRENT_DESKTOP", "sway"}}, "sway"},
        ChooserCase{"SecondEntryKnown", {{"XDG_CURRENT_DESKTOP", "Pantheon:XFCE"}}, "xfce"},
        ChooserCase{"FirstKnownEntryWins", {{"XDG_CURRENT_DESKTOP", "MATE:GNOME"}}, "mate"},
        ChooserCase{"KdeSessionVersion",
                    {{"KDE_SESSION_VERSION", "6"}, {"XDG_SESSION_TYPE", "wayland"}},
                    "kde"},
        ChooserCase{"SwaySocket",
                    {{"SWAYSOCK", "/run/user/1000/sway.sock"}, {"XDG_SESSION_TYPE", "wayland"}},
                    "sway"},
        ChooserCase{"DesktopBeforeKdeVersion",
                    {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"KDE_SESSION_VERSION", "5"}},
                    "gnome"},
        ChooserCase{"UnknownDesktopOnX11",
                    {{"XDG_CURRENT_DESKTOP", "i3"}, {"XDG_SESSION_TYPE", "x11"}},
                    "x11"},
        ChooserCase{"OverrideWins",
                    {{"MURALTO_WALLPAPER_BACKEND", "none"}, {"XDG_CURRENT_DESKTOP", "GNOME"}},
                    "none"},
        ChooserCase{"OverrideAnyCase",
                    {{"MURALTO_WALLPAPER_BACKEND", "X11"}, {"XDG_SESSION_TYPE", "wayland"}},
                    "x11"},
        ChooserCase{"UnknownOverrideIgnored",
                    {{"MURALTO_WALLPAPER_BACKEND", "bogus"}, {"XDG_CURRENT_DESKTOP", "XFCE"}},
                    "xfce"}),
    [](const testing::TestParamInfo<ChooserCase>& param) { return param.param.label; });

TEST(WallpaperBackendNames, EveryBackendMakesTheSetterOfItsName) {
    for (const char* name :
         {"none", "x11", "gnome", "cinnamon", "mate", "xfce", "kde", "lxqt", "lxde", "sway"}) {
        const auto backend = backendFromName(name);
        ASSERT_TRUE(backend) << name;
        EXPECT_EQ(backendName(*backend), name);
        const auto setter =
            chooseWallpaperSetter(Environment{{{"MURALTO_WALLPAPER_BACKEND", name}}});
        EXPECT_EQ(setter->name(), name);
    }
    EXPECT_FALSE(backendFromName(""));
    EXPECT_FALSE(backendFromName("gnome3"));
}

TEST(WallpaperPlacement, FollowsTheScaleFactor) {
    EXPECT_EQ(placementForScaleFactor(0), Placement::Centred);
    EXPECT_EQ(placementForScaleFactor(1), Placement::Centred);
    EXPECT_EQ(placementForScaleFactor(2), Placement::Tiled);
    EXPECT_EQ(placementForScaleFactor(5), Placement::Tiled);
}

TEST(NullWallpaperSetter, DoesNothingAndSucceeds) {
    NullWallpaperSetter setter;
    std::string error = "untouched";
    EXPECT_TRUE(setter.setWallpaper("/no/such/file.bmp", Placement::Tiled, &error));
    EXPECT_EQ(error, "untouched");
}

}  // namespace
}  // namespace muralto::platform
