#include <gtest/gtest.h>

#include "platform/HiveFile.h"
#include "platform/ProgramIdentity.h"
#include "settings/ProgramSettings.h"
#include "tests/support/TempHive.h"
#include "tests/support/TestSupport.h"

namespace muralto::settings {

using platform::kProgramTitle;

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
    void store(std::string_view name, std::string_view value) {
        TempHive::store(kSettingsSection, name, value);
    }
    ProgramSettings load() {
        ProgramSettings s(tools);
        s.LoadSettings("/opt/muralto");
        return s;
    }
};

TEST_F(ProgramSettingsTest, StoredValuesAreCorrectedAndSaverValuesFollowTheWallpaper) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> stored;
        ImageSettings wallpaper, saver;
    };
    const std::vector<Case> cases = {
        {{},  // a fresh user gets the installation's defaults
         {true, "/opt/muralto/", 60, false, false, 1, false},
         {true, "/opt/muralto/", 60, false, false, 1, false}},
        {{{"ScaleFactor", "0"}, {"Path", "/pics"}, {"Delay", "90"}, {"AddPath", "True"}},
         {true, "/pics/", 90, false, true, 1, false},
         {true, "/pics/", 90, false, true, 1, false}},
        {{{"ScaleFactor", "-3"},
          {"SSScaleFactor", "3"},
          {"SSPath", "/saver"},
          {"StartupOnly", "-1"}},
         {true, "/opt/muralto/", 60, false, false, 1, true},
         {true, "/saver/", 60, false, false, 3, false}},
        {{{"Path", "/pics/"}, {"SSPath", ""}, {"SSDelay", "5"}, {"SSReScan", "1"}},
         {true, "/pics/", 60, false, false, 1, false},
         {true, "/opt/muralto/", 5, true, false, 1, false}},
        {{{"ReScan", "-1"}, {"AddPath", "-1"}, {"Delay", "20"}},
         {true, "/opt/muralto/", 20, true, true, 1, false},
         {true, "/opt/muralto/", 20, true, true, 1, false}},
        {{{"Delay", "99999999999"}, {"ReScan", "yes"}, {"SSScaleFactor", "-1"}, {"SSAddPath", "0"}},
         {true, "/opt/muralto/", 60, false, false, 1, false},
         {true, "/opt/muralto/", 60, false, false, 1, false}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::filesystem::remove(dir.path() / "HKCU.reg");
        for (const auto& [name, value] : cases[i].stored)
            store(name, value);
        const ProgramSettings s = load();
        EXPECT_EQ(s.WallpaperSettings, cases[i].wallpaper) << "case " << i;
        EXPECT_EQ(s.SaverSettings, cases[i].saver) << "case " << i;
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
    EXPECT_EQ(tools.GetINIValue(kProgramTitle, kSettingsSection, "ReScan", ""), "-1");
    EXPECT_EQ(tools.GetINIValue(kProgramTitle, kSettingsSection, "SSReScan", ""), "0");
    EXPECT_EQ(tools.GetINIValue(kProgramTitle, kSettingsSection, "ScaleFactor", ""), "2");
}

TEST_F(ProgramSettingsTest, SavingAnotherFolderEmptiesTheImageList) {
    struct Case {
        std::string newPath;
        bool reset;
    };
    for (const Case& c : {Case{"/pics/", false}, Case{"/Pics/", true}, Case{"/other/", true}}) {
        store("Path", "/pics/");
        ProgramSettings s = load();
        s.WallpaperSettings.Path = c.newPath;
        RecordingHost host;
        host.enabled = true;
        s.SaveSettings(host);
        EXPECT_EQ(host.calls, c.reset ? "reset;" : "") << c.newPath;
    }
}

TEST_F(ProgramSettingsTest, SavingMatchesTheWallpaperTimerToStartupOnly) {
    struct Case {
        RunMode mode;
        bool startupOnly, enabled;
        std::string calls;
    };
    for (const Case& c :
         {Case{RunMode::Wallpaper, true, true, "stop;"},
          Case{RunMode::Wallpaper, false, false, "start;"},
          Case{RunMode::Wallpaper, false, true, ""}, Case{RunMode::Saver, true, true, ""},
          Case{RunMode::Options, false, false, ""}, Case{RunMode::Preview, false, false, ""}}) {
        ProgramSettings s = load();
        store("Path", s.WallpaperSettings.Path);
        s.WallpaperSettings.StartupOnly = c.startupOnly;
        RecordingHost host;
        host.mode = c.mode;
        host.enabled = c.enabled;
        s.SaveSettings(host);
        EXPECT_EQ(host.calls, c.calls)
            << "mode " << static_cast<int>(c.mode) << " startup " << c.startupOnly;
    }
}

TEST_F(ProgramSettingsTest, AFailedSaveIsReportedAsARegistryError) {
    ProgramSettings s = load();
    std::filesystem::create_directories(dir.path() / "HKCU.reg");
    RecordingHost host;
    s.SaveSettings(host);
    ASSERT_FALSE(boxes.shown.empty());
    for (const auto& box : boxes.shown)
        EXPECT_EQ(box.title, kRegistryErrorTitle);
}

}  // namespace
}  // namespace muralto::settings
