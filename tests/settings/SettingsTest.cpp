#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <tuple>

#include "settings/Conversions.h"
#include "settings/ProgramSettings.h"
#include "settings/WindowPlacement.h"
#include "tests/support/TempHive.h"

namespace muralto::settings {
namespace {

using platform::kProgramTitle;

constexpr std::nullopt_t kNone = std::nullopt;

TEST(ConversionsTest, ReadNumberTakesTheLeadingNumberRoundedHalfToEven) {
    using N = std::pair<std::string, std::optional<std::int32_t>>;
    for (const auto& [text, expected] :
         {N{"12abc", 12}, N{"abc", 0}, N{"-1", -1}, N{"3.5", 4}, N{"2.5", 2}, N{" 1 2\t3\n", 123},
          N{"1e3", 1000}, N{"&hff", 255}, N{"&O10", 8}, N{"&O18", 1}, N{"&HFFFFFFFF", -1},
          N{"&H1FFFFFFFF", kNone}, N{"2147483647", INT32_MAX}, N{"2147483647.5", kNone},
          N{"-2147483648", INT32_MIN}, N{"-2147483649", kNone}})
        EXPECT_EQ(readNumber(text), expected) << '"' << text << '"';
}

TEST(ConversionsTest, ReadBooleanAcceptsWordsInAnyCaseAndWholeNumbers) {
    using B = std::pair<std::string, std::optional<bool>>;
    for (const auto& [text, expected] :
         {B{"-1", true}, B{"TRUE", true}, B{" fAlSe", false}, B{"0", false}, B{"0.4", true},
          B{"&H0", false}, B{"yes", kNone}, B{"12abc", kNone}})
        EXPECT_EQ(readBoolean(text), expected) << '"' << text << '"';
}

class RegistryToolsTest : public testing::Test, protected test::TempHive {
protected:
    std::string get(std::string_view name) {
        return tools.GetINIValue(kProgramTitle, "Settings", name, "<default>");
    }
    void put(std::string_view name, std::string_view text, bool currentUser = true) {
        tools.PutINIValue(kProgramTitle, "Settings", name, text, currentUser);
    }
    std::vector<std::string> shownTexts() {
        std::vector<std::string> texts;
        for (const auto& box : boxes.shown) {
            EXPECT_EQ(box.title, "Error accessing registry");
            texts.push_back(box.text);
        }
        return texts;
    }
};

TEST_F(RegistryToolsTest, BuildKeyPathAddsCompanyAndApplication) {
    struct Case {
        std::string app, section, path;
    };
    for (const Case& c :
         {Case{"Muralto", "Settings\\", "Software\\Brenwick\\Muralto\\Settings"},
          Case{" Other ", "Windows\\frmMuralto", "Software\\Brenwick\\Other\\Windows\\frmMuralto"},
          Case{"Muralto", "\\Software\\Other\\", "Software\\Other"}}) {
        EXPECT_EQ(tools.BuildKeyPath(c.app, c.section), c.path) << c.section;
    }
}

TEST_F(RegistryToolsTest, ReadsGiveTheStoredTextOrTheDefault) {
    EXPECT_EQ(get("Delay"), "<default>");  // no key at all
    put("Delay", "90");
    EXPECT_EQ(get("Other"), "<default>");  // key without that value
    EXPECT_EQ(get("DELAY"), "90");
    put("Long254", std::string(254, 'x'));
    put("Long255", std::string(255, 'x'));
    EXPECT_EQ(get("Long254"), std::string(254, 'x'));
    EXPECT_EQ(get("Long255"), "<default>");
    EXPECT_TRUE(boxes.shown.empty());

    tools.GetINIValue(kProgramTitle, "Settings", "Long255", "d", 255, true,
                      /*showErrors=*/true);
    EXPECT_EQ(shownTexts(), std::vector<std::string>{std::strerror(EOVERFLOW)});
}

TEST_F(RegistryToolsTest, FailedWritesShowTheSystemTextOncePerCauseWhileQuiet) {
    std::filesystem::create_directories(hivePath);
    put("Delay", "60");
    EXPECT_EQ(get("Delay"), "<default>");  // reads that fail stay silent
    {
        const RegistryTools::QuietRepeats quiet(tools);
        for (const char* name : {"Delay", "Path"}) {
            put(name, "1");
            put(name, "1", /*currentUser=*/false);
        }
    }
    put("Delay", "60");  // afterwards every failure is shown again
    const std::string isDir = std::strerror(EISDIR);
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{isDir, isDir, std::strerror(EACCES), isDir}));
}

TEST_F(RegistryToolsTest, EnumKeysListsSubKeysAfterAnEmptyFirstElement) {
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names), ENOENT);
    EXPECT_EQ(names, std::vector<std::string>{""});

    for (const char* group : {"comp.b", "Alt.A", "alt.c"})
        store(std::string("Settings\\Newsgroups\\") + group, "Name", group);
    EXPECT_EQ(tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"", "Alt.A", "alt.c", "comp.b"}));

    EXPECT_EQ(tools.DeleteKey(kProgramTitle, "Settings\\Newsgroups\\alt.c"), 0);
    EXPECT_NE(tools.DeleteKey(kProgramTitle, "Settings\\Newsgroups"), 0);  // has sub-keys
    tools.EnumKeys(kProgramTitle, "Settings\\Newsgroups", names);
    EXPECT_EQ(names, (std::vector<std::string>{"", "Alt.A", "comp.b"}));
}

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

// A fresh user gets the installation's defaults; unreadable values take their defaults and an
// empty folder is the program's.
TEST_F(ProgramSettingsTest, StoredValuesAreCorrectedAndSaverValuesFollowTheWallpaper) {
    const ImageSettings defaults{true, "/opt/muralto/", 60, false, false, 1, false};
    EXPECT_EQ(load().WallpaperSettings, defaults);
    EXPECT_EQ(load().SaverSettings, defaults);
    for (const auto& [name, value] : {std::pair{"ScaleFactor", "-3"},
                                      {"SSScaleFactor", "3"},
                                      {"Path", "/pics"},
                                      {"SSPath", ""},
                                      {"StartupOnly", "-1"},
                                      {"Delay", "99999999999"},
                                      {"SSDelay", "5"},
                                      {"ReScan", "yes"},
                                      {"SSReScan", "1"}})
        store(kSettingsSection, name, value);
    const ProgramSettings s = load();
    EXPECT_EQ(s.WallpaperSettings, (ImageSettings{true, "/pics/", 60, false, false, 1, true}));
    EXPECT_EQ(s.SaverSettings, (ImageSettings{true, "/opt/muralto/", 5, true, false, 3, false}));
    EXPECT_FALSE(s.ScanNews);
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

constexpr PixelRect kScreen{0, 0, 1024, 768};
constexpr PixelRect kDesigned{272, 126, 480, 360};  // centred on kScreen
constexpr PixelRect kStoredRect{100, 50, 640, 480};
const char* const kSection = "Windows\\frmMuralto";
const char* const kValues[] = {"WindowState", "WindowLeft", "WindowTop", "WindowWidth",
                               "WindowHeight"};

/// A window that records how it was placed.
struct FakeWindow : PlacedWindow {
    std::string formName() const override { return "frmMuralto"; }
    std::int32_t windowState() const override { return state; }
    void setWindowState(std::int32_t s) override {
        state = s;
        log += "state;";
    }
    bool sizable() const override { return isSizable; }
    PixelRect normalRect() const override { return rect; }
    double twipsPerPixelX() const override { return perX; }
    double twipsPerPixelY() const override { return perY; }
    std::vector<PixelRect> availableScreens() const override { return screens; }
    void move(int left, int top, std::optional<PixelSize> size) override {
        rect = {left, top, size ? size->width : rect.width, size ? size->height : rect.height};
        log += size ? "move+size;" : "move;";
    }

    std::int32_t state = kNormal;
    bool isSizable = true;
    PixelRect rect = kDesigned;
    double perX = 15, perY = 15;
    std::vector<PixelRect> screens = std::vector<PixelRect>(1, kScreen);
    std::string log;
};

struct RestoreCase {
    const char* name;
    const char* stored;  ///< state, left, top, width and height in twips; "" stores nothing
    PixelRect rect;      ///< the window's normal rectangle afterwards
    std::int32_t state;  ///< its state afterwards: 0 normal, 2 maximised
    std::vector<PixelRect> screens{kScreen};
    bool sizable = true;
    double perX = 15, perY = 15;
};

const std::vector<PixelRect> kTwoScreens{kScreen, {1024, 0, 1280, 1024}};

class RestorePlacement : public testing::TestWithParam<RestoreCase>, protected test::TempHive {};

TEST_P(RestorePlacement, PutsBackWhatTheUserCanReach) {
    const RestoreCase& c = GetParam();
    std::istringstream values(c.stored);
    std::string value;
    for (const char* name : kValues)
        if (values >> value)
            store(kSection, name, value);
    FakeWindow form;
    std::tie(form.isSizable, form.perX, form.perY, form.screens) =
        std::tie(c.sizable, c.perX, c.perY, c.screens);
    RestoreWindowPlacement(form, tools);
    EXPECT_EQ(form.rect, c.rect);
    EXPECT_EQ(form.state, c.state);
    // The state comes after the move, so a maximised window keeps the stored normal rectangle;
    // a window kept as designed is not touched at all.
    const char* moves = c.sizable ? "move+size;state;" : "move;state;";
    EXPECT_EQ(form.log, c.rect == kDesigned ? "" : moves);
}

const RestoreCase kRestoreCases[] = {
    {"Normal", "0 1500 750 9600 7200", kStoredRect, 0},
    {"Maximised", "2 1500 750 9600 7200", kStoredRect, 2},
    {"MinimisedOpensNormal", "1 1500 750 9600 7200", kStoredRect, 0},
    {"FixedBorderKeepsItsSize", "0 1500 750 9600 7200", {100, 50, 480, 360}, 0, {kScreen}, false},
    {"NoKey", "", kDesigned, 0},
    {"WidthBelowOnePixelKeepsDesignedWidth", "0 1500 750 7 7200", {100, 50, 480, 480}, 0},
    {"HugeCutToLargestScreen", "0 0 0 2147483647 2147483647", {0, 0, 1280, 1024}, 0, kTwoScreens},
    // A rectangle that only touches the screen's edge cannot be reached.
    {"LeftOfTheScreenKeepsDesign", "2 -9600 750 9600 7200", kDesigned, 0},
    {"RightOfTheScreenKeepsDesign", "2 15360 750 9600 7200", kDesigned, 0},
    {"PartlyLeftOfTheScreen", "2 -9585 750 9600 7200", {-639, 50, 640, 480}, 2},
    {"SecondMonitor", "2 19200 750 9600 7200", {1280, 50, 640, 480}, 2, kTwoScreens},
    {"AxesApart", "0 1500 500 9600 4800", kStoredRect, 0, {kScreen}, true, 15, 10},
    {"HalvesToEven", "0 1005 1015 6405 4815", {100, 102, 640, 482}, 0, {kScreen}, true, 10, 10},
};

INSTANTIATE_TEST_SUITE_P(Stored, RestorePlacement, testing::ValuesIn(kRestoreCases), test::byName);

class SavePlacement : public testing::Test, protected test::TempHive {};

TEST_F(SavePlacement, StoresTheStateAndTheNormalRectangleInTwips) {
    struct Case {
        PixelRect rect;
        std::int32_t state;
        double perX, perY;
        const char* stored;
    };
    for (const Case& c :
         {Case{kStoredRect, PlacedWindow::kMinimised, 15, 15, "1 1500 750 9600 7200"},
          Case{{-101, 103, 641, 479}, 0, 7.5, 7.5, "0 -758 772 4808 3592"},
          Case{kStoredRect, 2, 15, 10, "2 1500 500 9600 4800"}}) {
        FakeWindow form;
        std::tie(form.rect, form.state, form.perX, form.perY) =
            std::tie(c.rect, c.state, c.perX, c.perY);
        SaveWindowPlacement(form, tools);
        std::string all;
        for (const char* name : kValues)
            all += (all.empty() ? "" : " ") + stored(kSection, name);
        EXPECT_EQ(all, c.stored);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace muralto::settings
