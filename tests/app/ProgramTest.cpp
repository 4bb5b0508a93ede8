// The program's rules in each mode on recorded windows; the end-to-end tests show the wiring.
#include <gtest/gtest.h>

#include <QImage>

#include <ranges>

#include "tests/app/RecordingWindows.h"
#include "tests/app/TestServices.h"
#include "tests/support/RecordingOutput.h"

namespace muralto::app {
namespace {

using Calls = std::vector<std::string>;
using muralto::test::readFile;

TEST(WakeRuleTest, JudgesEveryMoveFromTheRecordedPosition) {
    struct Case {
        std::vector<std::pair<double, double>> moves;
        std::vector<bool> wakes;  // the rule's verdict after each move
    };
    for (const Case& c : {Case{{{100, 100}, {104, 104}, {96, 96}}, {false, false, false}},
                          Case{{{100, 100}, {100, 95}}, {false, true}},
                          Case{{{0, 0}, {3, 0}, {5, 0}}, {false, false, true}},
                          // 2.5 is recorded as 2 (halves to even), so 6.5 lies 4.5 away.
                          Case{{{2.5, 2.5}, {6.5, 2}}, {false, true}},
                          // The new position is not rounded before it is compared.
                          Case{{{10, 10}, {10, 14.4}}, {false, true}}}) {
        WakeRule rule;
        std::vector<bool> verdicts;
        for (const auto& [x, y] : c.moves)
            verdicts.push_back(rule.wakes(x, y));
        EXPECT_EQ(verdicts, c.wakes) << c.moves.back().first << "," << c.moves.back().second;
    }
}

/// Only the wallpaper mode asks whether to become the default saver, and only until it has
/// been asked: AskDefSS "1" records it, whatever the answer; anything else asks again.
TEST(DefaultSaverQuestion, TheWallpaperModeAsksOnce) {
    struct Case {
        std::vector<std::string> args;
        const char* before;  // AskDefSS before the start, or nothing
        bool yes, asks;
        const char* after;
    };
    for (const Case& c :
         {Case{{}, nullptr, true, true, "1"}, Case{{}, "0", false, true, "1"},
          Case{{"/S"}, "1", true, false, "1"}, Case{{"/s"}, nullptr, true, false, "<missing>"}}) {
        SCOPED_TRACE((c.args.empty() ? "" : c.args[0]) + " " + (c.before ? c.before : "-"));
        test::TestServices host;
        if (c.before)
            host.store("AskDefSS", c.before);
        host.boxes.answers = {c.yes ? platform::MessageBoxes::Answer::Yes
                                    : platform::MessageBoxes::Answer::No};
        Program(host.services()).Main(parseCommandLine(c.args, nullptr));
        EXPECT_EQ(host.boxes.asked.size(), c.asks ? 1u : 0u);
        EXPECT_EQ(host.installer.installed.size(), c.asks && c.yes ? 1u : 0u);
        EXPECT_EQ(host.stored("AskDefSS"), c.after);
        EXPECT_EQ(host.random.seeds, 1);
    }
}

/// A program with a picture folder, recorded windows and output; window 42 exists.
class ProgramRun : public testing::Test {
protected:
    ProgramRun() {
        host.system.directory = (dir.path() / "bin").string();
        std::filesystem::create_directories(host.system.directory);
        QImage picture(QSize(640, 480), QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        std::filesystem::create_directories(dir.path() / "pics");
        picture.save(QString::fromStdString((dir.path() / "pics" / "a.bmp").string()), "BMP");
        host.store("AskDefSS", "1");
        host.store("Path", (dir.path() / "pics").string());
        host.store("SSPath", (dir.path() / "pics").string());
        host.store("SSAddPath", "-1");
        host.windows.sizes[42] = QSize(200, 150);
    }

    /// Starts a program on the arguments, given as one text with blanks between them.
    Program::Outcome start(const std::string& args, const char* xscreensaverWindow = nullptr) {
        std::vector<std::string> arguments;
        for (auto word : std::views::split(args, ' '))
            arguments.emplace_back(word.begin(), word.end());
        program = std::make_unique<Program>(host.services());
        windows.program = program.get();
        return program->Main(parseCommandLine(arguments, xscreensaverWindow), &windows, &output);
    }
    /// The window steps taken since the last look, in order.
    std::string taken() {
        std::string all;
        for (const auto& call : std::exchange(windows.calls, {}))
            all += (all.empty() ? "" : ", ") + call;
        return all;
    }

    test::TestServices host;
    muralto::test::TempDir& dir = host.temp.dir;
    test::RecordingWindows windows;
    muralto::test::RecordingOutput output;
    std::unique_ptr<Program> program;
};

struct ModeCase {
    const char* name;
    const char* args;
    const char* environment;  ///< $XSCREENSAVER_WINDOW
    const char* start;        ///< the window steps of the start
    const char* end;          ///< and of the end
    const char* ssActive;     ///< SSActive while running ("True" before the start)
    QSize frame{};            ///< the first saver frame, if any
    bool caption = false;
    bool wakes = false;  ///< a large move of the mouse ends it
};

class ProgramModes : public ProgramRun, public testing::WithParamInterface<ModeCase> {};

// Each mode's steps from start to end, run once however often the end is asked for; the
// newsgroup entries are loaded at the start and saved after the window's unload.
TEST_P(ProgramModes, StartAndEndInOrder) {
    const ModeCase& c = GetParam();
    host.store("SSActive", "True");
    host.temp.store("Settings\\Newsgroups\\alt.a", "MaxFiles", "3");
    ASSERT_EQ(start(c.args, c.environment), Program::Outcome::Running);
    EXPECT_EQ(taken(), c.start);
    EXPECT_EQ(host.stored("SSActive"), c.ssActive);
    EXPECT_EQ(program->timerEnabled(), program->runMode() != settings::RunMode::Options);
    ASSERT_TRUE(program->Newsgroups && program->Newsgroups->Count() == 1);
    EXPECT_EQ(output.wallpapers.size(), *c.args ? 0u : 1u);
    if (!c.frame.isEmpty()) {
        ASSERT_EQ(output.frameRequests.size(), 1u);
        EXPECT_EQ(output.frameRequests[0].addCaption, c.caption);
        EXPECT_EQ(output.frames[0], c.frame);
    }
    windows.onUnloadOptions = [&] { program->Newsgroups->Item(1)->MaxFiles(9); };
    std::string savedAtTheEnd;
    windows.onEndProcess = [&] {
        savedAtTheEnd = host.temp.stored("Settings\\Newsgroups\\alt.a", "MaxFiles");
    };
    program->Form_MouseMove(10, 10);
    program->Form_MouseMove(10, 30);
    EXPECT_EQ(taken(), c.wakes ? std::string("showCursor, hideCursor, ") + c.end : "");
    program->EndProgram();
    program->EndProgram();
    EXPECT_EQ(taken(), c.wakes ? "" : c.end);
    EXPECT_EQ(savedAtTheEnd, "9");
    EXPECT_FALSE(windows.cursor.hidden());
}

const char* const kEnd = "unloadOptions, unloadImage, endProcess";

// The preview is one pixel wider and taller than its host's inside; xscreensaver's runs (-root,
// -window-id) draw where the daemon says, leave SSActive alone and ignore the mouse. A caption's
// strip takes 20 rows below the picture.
INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramModes,
    testing::Values(
        ModeCase{"Wallpaper", "", nullptr, "restorePlacement, addTrayIcon, showOptions, addGroups",
                 "removeTrayIcon, savePlacement, unloadOptions, unloadImage, endProcess", "False"},
        ModeCase{"Options", "/c", nullptr,
                 "restorePlacement, showOptions, restoreIfMinimised, addGroups", kEnd, "False"},
        ModeCase{"Saver", "/s", nullptr, "showSaverWindow, hideCursor, addGroups",
                 "unloadOptions, unloadImage, showCursor, endProcess", "True", QSize(640, 500),
                 true, true},
        ModeCase{"Preview", "/p 42", nullptr, "embed 42 201x151, addGroups", kEnd, "True",
                 QSize(201, 151)},
        // 640x480 fitted to 200 by 150 less the caption's 20 rows: 173x130, then the strip.
        ModeCase{"RootIntoTheDaemonsWindow", "-root", "0x2a", "embed 42 200x150, addGroups", kEnd,
                 "True", QSize(173, 150), true},
        ModeCase{"RootWhenTheWindowIsGone", "-root", "0x2b", "showSaverWindow, addGroups", kEnd,
                 "True", QSize(640, 500), true},
        ModeCase{"WindowIdWinsOverRoot", "--root --window-id 0x2a", "0x2b",
                 "embed 42 200x150, addGroups", kEnd, "True", QSize(200, 150)}),
    muralto::test::byName);

TEST_F(ProgramRun, StartupOnlyChangesOnceAndShowsTheWindowNormally) {
    host.store("StartupOnly", "-1");
    start("");
    EXPECT_EQ(taken(), "restorePlacement, addTrayIcon, showOptions, restoreIfMinimised, addGroups");
    EXPECT_FALSE(program->timerEnabled());
    EXPECT_EQ(output.wallpapers.size(), 1u);
}

// A value left by a saver that did not end properly must not keep the saver from starting;
// while another saver runs, one ends at once and changes nothing.
TEST_F(ProgramRun, ASecondSaverEndsAtOnceOnlyWhileAnotherRuns) {
    struct Case {
        const char* ssActive;
        bool anotherInstance, starts;
    };
    for (const Case& c : {Case{"-1", true, false}, Case{"True", false, true},
                          Case{"False", true, true}, Case{"maybe", true, true}}) {
        host.store("SSActive", c.ssActive);
        host.anotherInstance = c.anotherInstance;
        const std::string before = readFile(host.temp.hivePath);
        output.frames.clear();
        EXPECT_EQ(start("/s"), c.starts ? Program::Outcome::Running : Program::Outcome::EndNow);
        EXPECT_EQ(output.frames.size(), c.starts ? 1u : 0u) << c.ssActive;
        EXPECT_EQ(program->Newsgroups != nullptr, c.starts);
        if (c.starts)
            program->EndProgram();
        else
            EXPECT_EQ(readFile(host.temp.hivePath), before);
        EXPECT_EQ(taken().empty(), !c.starts);
    }
}

TEST_F(ProgramRun, APreviewClosesTheEarlierOneOnly) {
    for (const char* earlier : {"555", "", "0"}) {
        host.windows.calls.clear();
        host.store("Preview hWnd", earlier);
        ASSERT_EQ(start("/p 42"), Program::Outcome::Running);
        const Calls closed{std::string("closeEarlierPreview ") + earlier, "setWindowPid 777"};
        EXPECT_EQ(host.windows.calls, *earlier == '5' ? closed : Calls{"setWindowPid 777"});
        EXPECT_EQ(host.stored("Preview hWnd"), "777");
    }
}

TEST_F(ProgramRun, APreviewWithoutItsHostSaysSoAndTouchesNothing) {
    struct Case {
        const char* args;
        std::string told;
    };
    host.windows.sizes[4243] = QSize(300, 200);
    host.store("Preview hWnd", "555");
    const std::string before = readFile(host.temp.hivePath);
    // "/p42 43": the size comes from the text after "/p", which names another window (blanks
    // inside a number are skipped): the host itself must exist.
    for (const Case& c : {Case{"/p", "0"}, Case{"/p -42", "4294967254"}, Case{"/p42 43", "43"},
                          Case{"-window-id x", "0"}}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(start(c.args), Program::Outcome::Failed);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "muralto: there is no window " + c.told + " to show the screen saver in\n");
    }
    EXPECT_EQ(readFile(host.temp.hivePath), before);
    EXPECT_EQ(taken(), "");
    EXPECT_TRUE(host.windows.calls.empty());
}

/// A backend's notice (the desktop's way failed, another was taken) is told once per text, on
/// standard error and from the icon, whether the outcome came at once or later.
TEST_F(ProgramRun, ABackendsNoticeIsToldOncePerCause) {
    const std::string rootWindow = "The desktop did not take it. Muralto sets it on the root.";
    const std::string noWay = "The wallpaper cannot be changed: no desktop.";
    testing::internal::CaptureStderr();
    output.answer = {true, "", rootWindow};
    start("");
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Shown);
    output.holdWallpapers = true;
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Pending);
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Busy);
    output.held.back()({false, "no desktop", noWay});
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Pending);
    output.held.back()({false, "no desktop", noWay});
    EXPECT_EQ(windows.notices, (std::vector<std::string>{rootWindow, noWay}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "muralto: " + rootWindow + "\nmuralto: " + noWay + "\n");
}

// An unsupported session is told once and costs nothing until a save asks again.
TEST_F(ProgramRun, AnUnsupportedSessionIsAskedAgainAtEachSave) {
    output.unsupportedReason = "no way is known here";
    testing::internal::CaptureStderr();
    start("");
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Unsupported);
    EXPECT_TRUE(windows.notices.size() == 1u && output.asked == 1);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "bin" / "jdoe.bmp"));  // nothing composed
    program->settings().SaveSettings(*program);
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Unsupported);
    EXPECT_EQ(windows.notices.size(), 2u);
    program->settings().SaveSettings(*program);
    output.unsupportedReason.clear();
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Shown);
    EXPECT_TRUE(windows.notices.size() == 2u && output.asked == 3);
    testing::internal::GetCapturedStderr();
}

TEST_F(ProgramRun, AHiveThatRefusesTheSaveAtTheEndIsReportedAndTheProgramStillEnds) {
    host.temp.store("Settings\\Newsgroups\\alt.a", "MaxFiles", "3");
    start("");
    host.boxes.shown.clear();
    windows.onUnloadOptions = [&] {
        program->Newsgroups->Add("alt.b");
        std::filesystem::remove(host.temp.hivePath);
        std::filesystem::create_directories(host.temp.hivePath);
    };
    program->EndProgram();
    ASSERT_EQ(host.boxes.shown.size(), 1u);
    EXPECT_EQ(windows.calls.back(), "endProcess");
}

}  // namespace
}  // namespace muralto::app
