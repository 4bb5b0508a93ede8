#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "FakeProcessRunner.h"
#include "TestSupport.h"
#include "WallpaperDesktops.h"
#include "WallpaperPlasma.h"

namespace muralto::platform {
namespace {

using Call = test::FakeProcessRunner::Call;

/// A temporary folder holding the user's bitmap, and a fake runner.
class DesktopTest : public testing::Test {
protected:
    test::TempDir dir;
    std::string bitmap = dir.write("jdoe.bmp", "BM").string();
    std::shared_ptr<test::FakeProcessRunner> runner = std::make_shared<test::FakeProcessRunner>();

    std::string copy(int n) const {
        return (dir.path() / ("jdoe~" + std::to_string(n) + ".bmp")).string();
    }
    std::string quotedUri(int n) const { return "'" + fileUri(copy(n)) + "'"; }
};

Call gsettings(const std::string& schema, const std::string& key, const std::string& value) {
    return {"gsettings", {"set", schema, key, value}};
}

TEST_F(DesktopTest, GnomeSetsOptionsColourAndBothUris) {
    GsettingsWallpaperSetter setter(GsettingsDesktop::gnome(), runner);
    std::string error;
    ASSERT_TRUE(setter.setWallpaper(bitmap, Placement::Centred, &error)) << error;
    const std::string schema = "org.gnome.desktop.background";
    EXPECT_EQ(runner->calls, (std::vector<Call>{
                                 gsettings(schema, "picture-options", "'centered'"),
                                 gsettings(schema, "primary-color", "'#000000'"),
                                 gsettings(schema, "color-shading-type", "'solid'"),
                                 gsettings(schema, "picture-uri", quotedUri(1)),
                                 gsettings(schema, "picture-uri-dark", quotedUri(1)),
                             }));
}

TEST_F(DesktopTest, EachChangeHandsTheDesktopAFreshName) {
    GsettingsWallpaperSetter setter(GsettingsDesktop::cinnamon(), runner);
    ASSERT_TRUE(setter.setWallpaper(bitmap, Placement::Tiled, nullptr));
    ASSERT_TRUE(setter.setWallpaper(bitmap, Placement::Tiled, nullptr));
    const std::string schema = "org.cinnamon.desktop.background";
    ASSERT_EQ(runner->calls.size(), 8u);
    EXPECT_EQ(runner->calls[0], gsettings(schema, "picture-options", "'wallpaper'"));
    EXPECT_EQ(runner->calls[3], gsettings(schema, "picture-uri", quotedUri(1)));
    EXPECT_EQ(runner->calls[7], gsettings(schema, "picture-uri", quotedUri(2)));
}

TEST_F(DesktopTest, MateTakesAPlainPath) {
    GsettingsWallpaperSetter setter(GsettingsDesktop::mate(), runner);
    ASSERT_TRUE(setter.setWallpaper(bitmap, Placement::Tiled, nullptr));
    ASSERT_EQ(runner->calls.size(), 4u);
    EXPECT_EQ(runner->calls[0], gsettings("org.mate.background", "picture-options", "'wallpaper'"));
    EXPECT_EQ(runner->calls[3],
              gsettings("org.mate.background", "picture-filename", "'" + copy(1) + "'"));
}

TEST_F(DesktopTest, SingleCommandDesktops) {
    struct Case {
        std::function<std::unique_ptr<WallpaperSetter>()> make;
        Placement placement;
        Call expected;
    };
    const Case cases[] = {
        {[&] { return std::make_unique<PcmanfmWallpaperSetter>("lxqt", "pcmanfm-qt", runner); },
         Placement::Centred,
         {"pcmanfm-qt", {"--set-wallpaper", copy(1), "--wallpaper-mode", "center"}}},
        {[&] { return std::make_unique<PcmanfmWallpaperSetter>("lxde", "pcmanfm", runner); },
         Placement::Tiled,
         {"pcmanfm", {"--set-wallpaper", copy(2), "--wallpaper-mode", "tile"}}},
        {[&] { return std::make_unique<SwayWallpaperSetter>(runner); },
         Placement::Tiled,
         {"swaymsg", {"output", "*", "bg", "\"" + copy(3) + "\"", "tile", "#000000"}}},
        {[&] { return std::make_unique<SwayWallpaperSetter>(runner); },
         Placement::Centred,
         {"swaymsg", {"output", "*", "bg", "\"" + copy(4) + "\"", "center", "#000000"}}},
    };
    for (const auto& c : cases) {
        runner->calls.clear();
        std::string error;
        EXPECT_TRUE(c.make()->setWallpaper(bitmap, c.placement, &error)) << error;
        EXPECT_EQ(runner->calls, std::vector<Call>{c.expected});
    }
}

TEST_F(DesktopTest, SwayQuotesThePathForItsParser) {
    const auto odd = dir.write("say \"hi\"\\.bmp", "BM").string();
    SwayWallpaperSetter setter(runner);
    ASSERT_TRUE(setter.setWallpaper(odd, Placement::Centred, nullptr));
    ASSERT_EQ(runner->calls.size(), 1u);
    const std::string folder = dir.path().string();
    EXPECT_EQ(runner->calls[0].arguments[3], "\"" + folder + "/say \\\"hi\\\"\\\\~1.bmp\"");
}

TEST_F(DesktopTest, XfceSetsEveryBackdropWorkspace) {
    runner->results.push_back(
        test::exited(0,
                     "/backdrop/screen0/monitorVirtual-1/workspace0/color-style\n"
                     "/backdrop/screen0/monitorVirtual-1/workspace0/last-image\n"
                     "/backdrop/screen0/monitorVirtual-1/workspace1/last-image\n"
                     "/backdrop/screen0/monitor0/image-path\n"
                     "/desktop-icons/style\n"));
    XfceWallpaperSetter setter(runner);
    std::string error;
    ASSERT_TRUE(setter.setWallpaper(bitmap, Placement::Tiled, &error)) << error;
    const std::string ws0 = "/backdrop/screen0/monitorVirtual-1/workspace0";
    const std::string ws1 = "/backdrop/screen0/monitorVirtual-1/workspace1";
    auto set = [](const std::string& property, const char* type, const std::string& value) {
        return Call{"xfconf-query",
                    {"-c", "xfce4-desktop", "-p", property, "-n", "-t", type, "-s", value}};
    };
    EXPECT_EQ(runner->calls, (std::vector<Call>{
                                 {"xfconf-query", {"-c", "xfce4-desktop", "-l"}},
                                 set(ws0 + "/image-style", "int", "2"),
                                 set(ws0 + "/last-image", "string", copy(1)),
                                 set(ws1 + "/image-style", "int", "2"),
                                 set(ws1 + "/last-image", "string", copy(1)),
                             }));
}

TEST_F(DesktopTest, XfceWithoutBackdropsIsAnError) {
    runner->results.push_back(test::exited(0, "/desktop-icons/style\n"));
    XfceWallpaperSetter setter(runner);
    std::string error;
    EXPECT_FALSE(setter.setWallpaper(bitmap, Placement::Centred, &error));
    EXPECT_NE(error.find("no backdrop"), std::string::npos) << error;
    EXPECT_EQ(runner->calls.size(), 1u);
}

TEST_F(DesktopTest, AFailingToolStopsTheChangeWithItsReason) {
    runner->results.push_back(test::notRun("could not be started (not found)"));
    GsettingsWallpaperSetter setter(GsettingsDesktop::gnome(), runner);
    std::string error;
    EXPECT_FALSE(setter.setWallpaper(bitmap, Placement::Centred, &error));
    EXPECT_EQ(error, "gsettings could not be started (not found)");
    EXPECT_EQ(runner->calls.size(), 1u);
}

TEST_F(DesktopTest, GnomeWithoutTheDarkKeyStillSucceeds) {
    for (int i = 0; i < 4; ++i)
        runner->results.push_back(test::exited(0));
    runner->results.push_back(test::exited(1, "", "No such key"));
    GsettingsWallpaperSetter setter(GsettingsDesktop::gnome(), runner);
    std::string error;
    EXPECT_TRUE(setter.setWallpaper(bitmap, Placement::Centred, &error)) << error;
    EXPECT_EQ(runner->calls.size(), 5u);
}

TEST_F(DesktopTest, MissingBitmapRunsNoTool) {
    PcmanfmWallpaperSetter setter("lxqt", "pcmanfm-qt", runner);
    std::string error;
    EXPECT_FALSE(
        setter.setWallpaper((dir.path() / "gone.bmp").string(), Placement::Centred, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(runner->calls.empty());
}

class FakePlasmaShell : public PlasmaShell {
public:
    bool evaluateScript(const std::string& script, std::string* error) override {
        scripts.push_back(script);
        if (!failure.empty() && error)
            *error = failure;
        return failure.empty();
    }
    std::vector<std::string> scripts;
    std::string failure;
};

TEST_F(DesktopTest, PlasmaScriptSetsImageAndFillModeOnEveryDesktop) {
    auto shell = std::make_shared<FakePlasmaShell>();
    PlasmaWallpaperSetter setter(shell);
    ASSERT_TRUE(setter.setWallpaper(bitmap, Placement::Centred, nullptr));
    ASSERT_TRUE(setter.setWallpaper(bitmap, Placement::Tiled, nullptr));
    ASSERT_EQ(shell->scripts.size(), 2u);
    for (const auto& script : shell->scripts) {
        EXPECT_NE(script.find("desktops()"), std::string::npos);
        EXPECT_NE(script.find("wallpaperPlugin = \"org.kde.image\""), std::string::npos);
        EXPECT_NE(script.find("[\"Wallpaper\", \"org.kde.image\", \"General\"]"),
                  std::string::npos);
    }
    EXPECT_NE(shell->scripts[0].find("writeConfig(\"Image\", \"" + fileUri(copy(1)) + "\")"),
              std::string::npos)
        << shell->scripts[0];
    EXPECT_NE(shell->scripts[0].find("writeConfig(\"FillMode\", 6)"), std::string::npos);
    EXPECT_NE(shell->scripts[1].find("writeConfig(\"Image\", \"" + fileUri(copy(2)) + "\")"),
              std::string::npos);
    EXPECT_NE(shell->scripts[1].find("writeConfig(\"FillMode\", 3)"), std::string::npos);
}

TEST_F(DesktopTest, PlasmaFailureIsReported) {
    auto shell = std::make_shared<FakePlasmaShell>();
    shell->failure = "the Plasma shell refused the wallpaper script: denied";
    PlasmaWallpaperSetter setter(shell);
    std::string error;
    EXPECT_FALSE(setter.setWallpaper(bitmap, Placement::Centred, &error));
    EXPECT_EQ(error, shell->failure);
}

}  // namespace
}  // namespace muralto::platform
