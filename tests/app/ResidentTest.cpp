#include <gtest/gtest.h>

#include <QImage>

#include "tests/app/RecordingWindows.h"
#include "tests/app/TestServices.h"
#include "tests/support/RecordingOutput.h"

namespace muralto::app {
namespace {

using test::RecordingWindows;

class ResidentTest : public testing::Test {
protected:
    ResidentTest() {
        host.system.directory = (dir.path() / "bin").string();
        std::filesystem::create_directories(host.system.directory);
        QImage picture(QSize(2048, 1024), QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        std::filesystem::create_directories(dir.path() / "pics");
        picture.save(QString::fromStdString((dir.path() / "pics" / "a.bmp").string()), "BMP");
        host.store("AskDefSS", "1");
        host.store("Path", (dir.path() / "pics").string());
    }

    Program& start(std::vector<std::string> args) {
        program = std::make_unique<Program>(host.services());
        windows.program = program.get();
        program->Main(parseCommandLine(args, nullptr), &windows, &output);
        return *program;
    }

    test::TestServices host;
    muralto::test::TempDir& dir = host.temp.dir;
    RecordingWindows windows;
    muralto::test::RecordingOutput output;
    std::unique_ptr<Program> program;
};

TEST_F(ResidentTest, StartSetsUpTheWindowsAndTheFirstWallpaper) {
    host.store("SSActive", "True");
    Program& p = start({});
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"restorePlacement", "addTrayIcon",
                                                       "showOptions", "addGroups"}));
    EXPECT_TRUE(p.timerEnabled());
    EXPECT_EQ(host.stored("SSActive"), "False");
    EXPECT_EQ(output.wallpapers, std::vector<QSize>{QSize(1024, 512)});
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "bin" / "jdoe.bmp"));
}

TEST_F(ResidentTest, StartupOnlyChangesOnceAndShowsTheWindowNormally) {
    host.store("StartupOnly", "-1");
    Program& p = start({});
    EXPECT_EQ(windows.calls,
              (std::vector<std::string>{"restorePlacement", "addTrayIcon", "showOptions",
                                        "restoreIfMinimised", "addGroups"}));
    EXPECT_FALSE(p.timerEnabled());
    EXPECT_EQ(output.wallpapers.size(), 1u);

    // Saving with StartupOnly cleared starts the changes.
    p.settings().WallpaperSettings.StartupOnly = false;
    p.settings().SaveSettings(p);
    EXPECT_TRUE(p.timerEnabled());
}

TEST_F(ResidentTest, TheSettingsDialogShowsTheWindowAndNothingElse) {
    host.store("SSActive", "True");
    Program& p = start({"/c"});
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"restorePlacement", "showOptions",
                                                       "restoreIfMinimised", "addGroups"}));
    EXPECT_FALSE(p.timerEnabled());
    EXPECT_TRUE(output.wallpapers.empty());
    EXPECT_EQ(host.stored("SSActive"), "False");
}

TEST_F(ResidentTest, SavingAnotherFolderScansItAtTheNextUpdate) {
    Program& p = start({});
    std::filesystem::create_directories(dir.path() / "other");
    QImage small(QSize(300, 200), QImage::Format_RGB32);
    small.fill(Qt::red);
    small.save(QString::fromStdString((dir.path() / "other" / "b.bmp").string()), "BMP");
    p.settings().WallpaperSettings.Path = (dir.path() / "other").string() + "/";
    p.settings().SaveSettings(p);
    p.UpdateImage();
    ASSERT_EQ(output.wallpapers.size(), 2u);
    EXPECT_EQ(output.wallpapers.back(), QSize(300, 200));
}

/// A backend's notice (the desktop's way failed, another was taken) is told once per text, on
/// standard error and from the icon, whether the outcome came at once or later.
TEST_F(ResidentTest, ABackendsNoticeIsToldOncePerCause) {
    const std::string rootWindow = "The desktop did not take it. Muralto sets it on the root.";
    const std::string noWay = "The wallpaper cannot be changed: no desktop.";
    testing::internal::CaptureStderr();
    output.answer = {true, "", rootWindow};
    Program& p = start({});
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Shown);
    output.holdWallpapers = true;
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Pending);
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Busy);
    output.held.back()({false, "no desktop", noWay});
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Pending);
    output.held.back()({false, "no desktop", noWay});
    EXPECT_EQ(windows.notices, (std::vector<std::string>{rootWindow, noWay}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "muralto: " + rootWindow + "\nmuralto: " + noWay + "\n");
}

TEST_F(ResidentTest, AnUnsupportedSessionIsToldOnceAndCostsNothingUntilTheNextSave) {
    output.unsupportedReason = "no way is known here";
    testing::internal::CaptureStderr();
    Program& p = start({});
    const std::string told =
        "The wallpaper cannot be changed: no way is known here. Muralto leaves it alone until "
        "its settings are saved again.";
    EXPECT_EQ(windows.notices, std::vector<std::string>{told});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "bin" / "jdoe.bmp"));  // nothing composed
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Unsupported);
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Unsupported);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "muralto: " + told + "\n");
    EXPECT_EQ(windows.notices.size(), 1u);
    EXPECT_EQ(output.asked, 1);  // known: the session is not asked again

    // A save asks again, and says so again while the session still cannot.
    p.settings().SaveSettings(p);
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Unsupported);
    EXPECT_EQ(windows.notices.size(), 2u);
    p.settings().SaveSettings(p);
    output.unsupportedReason.clear();
    EXPECT_EQ(p.UpdateImage(), imaging::UpdateResult::Shown);
    EXPECT_EQ(output.wallpapers, std::vector<QSize>{QSize(1024, 512)});
    EXPECT_TRUE(windows.notices.size() == 2u && output.asked == 3);
}

TEST_F(ResidentTest, EndProgramRunsItsStepsOnceInOrder) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> calls;
        std::string ssActive;  // the wallpaper mode's start and the saver's end write "False"
    };
    const std::vector<Case> cases = {
        {{},
         {"removeTrayIcon", "savePlacement", "unloadOptions", "unloadImage", "endProcess"},
         "False"},
        {{"/s"}, {"unloadOptions", "unloadImage", "showCursor", "endProcess"}, "False"},
        {{"/p", "5"}, {"unloadOptions", "unloadImage", "endProcess"}, "True"},
        {{"/c"}, {"unloadOptions", "unloadImage", "endProcess"}, "False"},
    };
    host.windows.sizes[5] = QSize(200, 150);
    for (const Case& c : cases) {
        host.store("SSActive", "True");
        Program& p = start(c.args);
        windows.calls.clear();
        p.EndProgram();
        p.EndProgram();
        EXPECT_EQ(windows.calls, c.calls) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(host.stored("SSActive"), c.ssActive);
    }
}

}  // namespace
}  // namespace muralto::app

namespace muralto::app {
namespace {

struct GroupsRun {
    const char* name;
    std::vector<std::string> args;
    bool anotherSaverRuns;
    bool running;  ///< the start keeps the program running, so the entries are loaded
};

class NewsgroupsRun : public ResidentTest, public testing::WithParamInterface<GroupsRun> {
protected:
    void storeGroup(const std::string& name, const std::string& value, const std::string& text) {
        host.tools.PutINIValue("Muralto", "Settings\\Newsgroups\\" + name, value, text);
    }
    std::string storedGroup(const std::string& name, const std::string& value) {
        return host.tools.GetINIValue("Muralto", "Settings\\Newsgroups\\" + name, value,
                                      "<missing>");
    }
};

// Every start that keeps running loads the entries and lists them in the options window; the
// end saves them after the window's unload (which keeps the edits of the entry on show) and
// before the process ends.
TEST_P(NewsgroupsRun, LoadsAtTheStartAndSavesAfterTheWindowsUnload) {
    const GroupsRun& c = GetParam();
    storeGroup("alt.b", "MaxFiles", "3");
    storeGroup("alt.b", "SubjectFilters", "sale\r\nspam\r\n");
    storeGroup("Alt.A", "MaxFiles", "5");
    host.store("SSActive", c.anotherSaverRuns ? "True" : "False");
    host.anotherInstance = c.anotherSaverRuns;
    host.windows.sizes[5] = QSize(200, 150);
    const std::string before = muralto::test::readFile(host.temp.hivePath);

    Program& p = start(c.args);
    if (!c.running) {
        EXPECT_EQ(p.Newsgroups, nullptr);
        EXPECT_EQ(std::count(windows.calls.begin(), windows.calls.end(), "addGroups"), 0);
        EXPECT_EQ(muralto::test::readFile(host.temp.hivePath), before);
        return;
    }
    ASSERT_NE(p.Newsgroups, nullptr);
    ASSERT_EQ(p.Newsgroups->Count(), 2);
    EXPECT_EQ(p.Newsgroups->Item(1)->Name(), "Alt.A");
    EXPECT_EQ(p.Newsgroups->Item(2)->GetAllFilters(), "sale\r\nspam\r\n");
    EXPECT_EQ(windows.calls.back(), "addGroups");

    windows.onUnloadOptions = [&] { p.Newsgroups->Item("alt.a")->MaxFiles(9); };
    std::string savedAtTheEnd;
    windows.onEndProcess = [&] { savedAtTheEnd = storedGroup("Alt.A", "MaxFiles"); };
    p.EndProgram();
    EXPECT_EQ(savedAtTheEnd, "9");
    EXPECT_EQ(storedGroup("alt.b", "SubjectFilters"), "sale\r\nspam\r\n");
    EXPECT_EQ(storedGroup("alt.b", "FileTypes"), p.DefaultFileTypes);
}

INSTANTIATE_TEST_SUITE_P(Modes, NewsgroupsRun,
                         testing::Values(GroupsRun{"Wallpaper", {}, false, true},
                                         GroupsRun{"Saver", {"/s"}, false, true},
                                         GroupsRun{"Preview", {"/p", "5"}, false, true},
                                         GroupsRun{"Options", {"/c"}, false, true},
                                         GroupsRun{
                                             "DaemonsPreview", {"-window-id", "5"}, false, true},
                                         GroupsRun{"SecondSaver", {"/s"}, true, false},
                                         GroupsRun{"Apply", {"/a", "1"}, false, false}),
                         muralto::test::byName);

TEST_F(ResidentTest, AHiveThatRefusesTheSaveAtTheEndIsReportedAndTheProgramStillEnds) {
    host.tools.PutINIValue("Muralto", "Settings\\Newsgroups\\alt.a", "MaxFiles", "3");
    Program& p = start({});
    host.boxes.shown.clear();
    windows.onUnloadOptions = [&] {
        p.Newsgroups->Item(1)->MaxFiles(4);
        p.Newsgroups->Add("alt.b");
        std::filesystem::remove(host.temp.hivePath);
        std::filesystem::create_directories(host.temp.hivePath);
    };
    p.EndProgram();
    ASSERT_EQ(host.boxes.shown.size(), 1u);
    EXPECT_EQ(host.boxes.shown[0].title, "Error accessing registry");
    EXPECT_EQ(windows.calls.back(), "endProcess");
}

}  // namespace
}  // namespace muralto::app
