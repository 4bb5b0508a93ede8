#include <gtest/gtest.h>

#include <sstream>

#include "settings/ProgramSettings.h"
#include "tests/support/TempHive.h"

namespace muralto::settings {
namespace {

class RecordingHost : public SettingsHost {
public:
    RunMode runMode() const override { return mode; }
    bool timerEnabled() const override { return enabled; }
    void StartTimer() override { calls += "start;"; }
    void StopTimer() override { calls += "stop;"; }
    void resetImageList() override { calls += "reset;"; }
    void settingsSaved() override {}

    RunMode mode = RunMode::Wallpaper;
    bool enabled = false;
    std::string calls;
};

class ProgramSettingsTest : public testing::Test, protected test::TempHive {
protected:
    ProgramSettings load() {
        ProgramSettings s(tools);
        s.LoadSettings("/opt/muralto");
        return s;
    }
};

TEST_F(ProgramSettingsTest, StoredValuesAreCorrectedAndSaverValuesFollowTheWallpaper) {
    struct Case {
        const char* stored;  ///< name=value;...
        ImageSettings wallpaper, saver;
    };
    const Case cases[] = {
        {"",  // a fresh user gets the installation's defaults
         {true, "/opt/muralto/", 60, false, false, 1, false},
         {true, "/opt/muralto/", 60, false, false, 1, false}},
        {"ScaleFactor=0;Path=/pics;Delay=90;AddPath=True;ReScan=-1",
         {true, "/pics/", 90, true, true, 1, false},
         {true, "/pics/", 90, true, true, 1, false}},
        // Unreadable values take their defaults; an empty folder is the program's.
        {"ScaleFactor=-3;SSScaleFactor=3;Path=/pics/;SSPath=;StartupOnly=-1;Delay=99999999999;"
         "SSDelay=5;ReScan=yes;SSReScan=1",
         {true, "/pics/", 60, false, false, 1, true},
         {true, "/opt/muralto/", 5, true, false, 3, false}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(hivePath);
        std::istringstream values(c.stored);
        for (std::string value; std::getline(values, value, ';');) {
            const std::size_t eq = value.find('=');
            store(kSettingsSection, value.substr(0, eq), value.substr(eq + 1));
        }
        const ProgramSettings s = load();
        EXPECT_EQ(s.WallpaperSettings, c.wallpaper) << c.stored;
        EXPECT_EQ(s.SaverSettings, c.saver) << c.stored;
        EXPECT_FALSE(s.ScanNews);
    }
}

TEST_F(ProgramSettingsTest, SavedSettingsLoadBackAsTheyWere) {
    ProgramSettings s = load();
    s.WallpaperSettings = {true, "/home/jo/Bilder \xe4/", 15, true, false, 2, true};
    s.SaverSettings = {true, "/srv/saver/", 7, false, true, 4, false};
    s.ScanNews = true;
    RecordingHost host;
    s.SaveSettings(host);

    const ProgramSettings loaded = load();
    EXPECT_EQ(loaded.WallpaperSettings, s.WallpaperSettings);
    EXPECT_EQ(loaded.SaverSettings, s.SaverSettings);
    EXPECT_TRUE(loaded.ScanNews);
    EXPECT_EQ(stored(kSettingsSection, "ReScan") + stored(kSettingsSection, "SSReScan"), "-10");
}

// Only the very same folder text keeps the image list; the wallpaper timer follows StartupOnly.
TEST_F(ProgramSettingsTest, SavingResetsTheListForAnotherFolderAndMatchesTheTimer) {
    struct Case {
        std::string newPath;
        RunMode mode;
        bool startupOnly, enabled;
        std::string calls;
    };
    for (const Case& c : {Case{"/pics/", RunMode::Wallpaper, true, true, "stop;"},
                          Case{"/Pics/", RunMode::Wallpaper, false, false, "reset;start;"},
                          Case{"/other/", RunMode::Wallpaper, false, true, "reset;"},
                          Case{"/pics/", RunMode::Saver, true, true, ""}}) {
        store(kSettingsSection, "Path", "/pics/");
        ProgramSettings s = load();
        s.WallpaperSettings.Path = c.newPath;
        s.WallpaperSettings.StartupOnly = c.startupOnly;
        RecordingHost host;
        host.mode = c.mode;
        host.enabled = c.enabled;
        s.SaveSettings(host);
        EXPECT_EQ(host.calls, c.calls) << c.newPath << " " << static_cast<int>(c.mode);
    }
}

}  // namespace
}  // namespace muralto::settings
