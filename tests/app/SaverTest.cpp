// The screen saver's run: the wake-up rule, the cursor counter, the start of "/s", "/p" and the
// xscreensaver switches, and their ends.

#include <gtest/gtest.h>

#include <QImage>

#include "tests/app/RecordingWindows.h"
#include "tests/app/TestServices.h"
#include "tests/support/RecordingOutput.h"

namespace muralto::app {
namespace {

using Calls = std::vector<std::string>;

struct Move {
    double x, y;
};

struct WakeCase {
    std::string name;
    std::vector<Move> moves;
    std::vector<bool> wakes;  // the rule's verdict after each move
};

class WakeRuleTest : public testing::TestWithParam<WakeCase> {};

TEST_P(WakeRuleTest, JudgesEveryMoveFromTheRecordedPosition) {
    WakeRule rule;
    std::vector<bool> verdicts;
    for (const Move& m : GetParam().moves)
        verdicts.push_back(rule.wakes(m.x, m.y));
    EXPECT_EQ(verdicts, GetParam().wakes);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, WakeRuleTest,
    testing::Values(
        WakeCase{"FirstMoveOnlyRecords", {{900, 700}}, {false}},
        WakeCase{"FourBothWaysStays", {{100, 100}, {104, 104}, {96, 96}}, {false, false, false}},
        WakeCase{"FiveRightWakes", {{100, 100}, {105, 100}}, {false, true}},
        WakeCase{"FiveUpWakes", {{100, 100}, {100, 95}}, {false, true}},
        WakeCase{"OnePixelStepsAddUp",
                 {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}},
                 {false, false, false, false, false, true}},
        // 2.5 is recorded as 2 (halves to even), so 6.5 lies 4.5 away.
        WakeCase{"RecordsHalvesToEven", {{2.5, 2.5}, {6.5, 2}}, {false, true}},
        // The new position is not rounded before it is compared.
        WakeCase{"ComparesTheExactPosition", {{10, 10}, {10, 14.4}}, {false, true}}),
    muralto::test::byName);

struct CursorCase {
    std::string name;
    std::vector<bool> shows;  // true: show, false: hide
    bool hidden;
};

class CursorCounterTest : public testing::TestWithParam<CursorCase> {};

TEST_P(CursorCounterTest, HidesWhileBelowZero) {
    CursorCounter counter;
    for (const bool show : GetParam().shows)
        counter.ShowCursor(show);
    EXPECT_EQ(counter.hidden(), GetParam().hidden);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CursorCounterTest,
    testing::Values(CursorCase{"Fresh", {}, false}, CursorCase{"Hidden", {false}, true},
                    CursorCase{"HiddenThenShown", {false, true}, false},
                    CursorCase{"AroundTheDialog", {false, true, false}, true},
                    CursorCase{"ShownFirstCountsUp", {true, false}, false},
                    CursorCase{"TwoHidesNeedTwoShows", {false, false, true}, true}),
    muralto::test::byName);

/// A program whose timer steps, once recordTimer is set, are recorded among the window steps.
class TimerRecordingProgram : public Program {
public:
    TimerRecordingProgram(Services services, Calls& calls) : Program(services), calls_(calls) {}

    void StartTimer() override {
        if (recordTimer)
            calls_.push_back("startTimer");
        Program::StartTimer();
    }
    void StopTimer() override {
        if (recordTimer)
            calls_.push_back("stopTimer");
        Program::StopTimer();
    }

    bool recordTimer = false;

private:
    Calls& calls_;
};

/// A program with a picture folder for the saver, recorded windows and frames.
class SaverRun : public testing::Test {
protected:
    SaverRun() {
        host.system.directory = (dir.path() / "bin").string();
        std::filesystem::create_directories(host.system.directory);
        QImage picture(QSize(640, 480), QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        std::filesystem::create_directories(dir.path() / "pics");
        picture.save(QString::fromStdString((dir.path() / "pics" / "a.bmp").string()), "BMP");
        host.store("AskDefSS", "1");
        host.store("SSPath", (dir.path() / "pics").string());
        host.store("SSAddPath", "-1");
        host.windows.sizes[42] = QSize(200, 150);
    }

    Program::Outcome start(std::vector<std::string> args,
                           const char* xscreensaverWindow = nullptr) {
        program = std::make_unique<TimerRecordingProgram>(host.services(), windows.calls);
        windows.program = program.get();
        return program->Main(parseCommandLine(args, xscreensaverWindow), &windows, &output);
    }
    /// The calls made since the last look.
    Calls taken() { return std::exchange(windows.calls, {}); }

    test::TestServices host;
    muralto::test::TempDir& dir = host.temp.dir;
    test::RecordingWindows windows;
    muralto::test::RecordingOutput output;
    std::unique_ptr<TimerRecordingProgram> program;
};

const Calls kSaverEnd{"unloadOptions", "unloadImage", "showCursor", "endProcess"};

TEST_F(SaverRun, TheSaverCoversTheScreenHidesTheCursorAndShowsTheFirstFrame) {
    ASSERT_EQ(start({"/s"}), Program::Outcome::Running);
    EXPECT_EQ(taken(), (Calls{"showSaverWindow", "hideCursor", "addGroups"}));
    EXPECT_EQ(host.stored("SSActive"), "True");
    EXPECT_TRUE(program->timerEnabled());
    EXPECT_TRUE(windows.cursor.hidden());
    ASSERT_EQ(output.frameRequests.size(), 1u);
    EXPECT_TRUE(output.frameRequests[0].addCaption);
    EXPECT_EQ(output.frames[0], QSize(640, 480 + 20));  // the picture and its caption strip
    EXPECT_TRUE(output.wallpapers.empty());

    program->EndProgram();
    EXPECT_EQ(taken(), kSaverEnd);
    EXPECT_EQ(host.stored("SSActive"), "False");
    EXPECT_FALSE(windows.cursor.hidden());
}

// The cursor shown and the timer held for the moment of waking, then both put back.
const Calls kWaking{"showCursor", "stopTimer", "startTimer", "hideCursor"};

Calls concat(Calls a, const Calls& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(SaverRun, WithNothingToShowTheSaverIsBlackAndStillWakes) {
    std::filesystem::remove(dir.path() / "pics" / "a.bmp");
    dir.write("pics/broken.jpg", "not a picture");
    testing::internal::CaptureStderr();
    ASSERT_EQ(start({"/s"}), Program::Outcome::Running);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(taken(), (Calls{"showSaverWindow", "hideCursor", "addGroups"}));
    EXPECT_TRUE(output.frames.empty());
    program->recordTimer = true;
    program->Form_MouseMove(10, 10);
    program->Form_MouseMove(10, 20);
    EXPECT_EQ(taken(), concat(kWaking, kSaverEnd));
}

struct WakeUpCase {
    std::string name;
    const char* mode;
    std::vector<Move> moves;
    Calls calls;  // after the start
};

class SaverWakeUp : public SaverRun, public testing::WithParamInterface<WakeUpCase> {};

TEST_P(SaverWakeUp, EndsOnceTheMouseWakesIt) {
    const WakeUpCase& c = GetParam();
    ASSERT_EQ(start({c.mode, "42"}), Program::Outcome::Running);
    taken();
    program->recordTimer = true;
    for (const Move& m : c.moves)
        program->Form_MouseMove(m.x, m.y);
    EXPECT_EQ(taken(), c.calls);
    const bool ended = !c.calls.empty() && c.calls.back() == "endProcess";
    if (!ended) {
        EXPECT_TRUE(program->timerEnabled());
        EXPECT_EQ(windows.cursor.hidden(), std::string(c.mode) == "/s");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaverWakeUp,
    testing::Values(WakeUpCase{"SmallMovesKeepItRunning", "/s", {{5, 5}, {9, 1}}, {}},
                    WakeUpCase{
                        "ALargerMoveEnds", "/s", {{5, 5}, {11, 5}}, concat(kWaking, kSaverEnd)},
                    WakeUpCase{"ThePreviewIgnoresTheMouse", "/p", {{0, 0}, {500, 500}}, {}}),
    muralto::test::byName);

struct InstanceCase {
    std::string name;
    const char* ssActive;  // stored before the start, or nothing
    bool anotherInstance;
    bool starts;
};

class SecondSaver : public SaverRun, public testing::WithParamInterface<InstanceCase> {};

// A value left by a saver that did not end properly must not keep the saver from starting.
TEST_P(SecondSaver, EndsAtOnceOnlyWhileAnotherSaverRuns) {
    const InstanceCase& c = GetParam();
    if (c.ssActive)
        host.store("SSActive", c.ssActive);
    host.anotherInstance = c.anotherInstance;
    const std::string before = muralto::test::readFile(host.temp.hivePath);
    const Program::Outcome outcome = start({"/s"});
    if (c.starts) {
        EXPECT_EQ(outcome, Program::Outcome::Running);
        EXPECT_EQ(host.stored("SSActive"), "True");
    } else {
        EXPECT_EQ(outcome, Program::Outcome::EndNow);
        EXPECT_EQ(muralto::test::readFile(host.temp.hivePath), before);
        EXPECT_EQ(taken(), Calls{});
        EXPECT_TRUE(output.frames.empty());
        EXPECT_FALSE(program->timerEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SecondSaver,
                         testing::Values(InstanceCase{"ActiveAndRunning", "True", true, false},
                                         InstanceCase{"ActiveAsNumber", "-1", true, false},
                                         InstanceCase{"ActiveButAlone", "True", false, true},
                                         InstanceCase{"InactiveButRunning", "False", true, true},
                                         InstanceCase{"NeverWritten", nullptr, true, true},
                                         InstanceCase{"Unreadable", "maybe", true, true}),
                         muralto::test::byName);

TEST_F(SaverRun, ThePreviewFillsItsHostAndClosesTheEarlierOne) {
    host.store("Preview hWnd", "555");
    ASSERT_EQ(start({"/p", "42"}), Program::Outcome::Running);
    // One pixel wider and taller than the host's inside.
    EXPECT_EQ(taken(), (Calls{"embed 42 201x151", "addGroups"}));
    EXPECT_EQ(host.windows.calls, (Calls{"closeEarlierPreview 555", "setWindowPid 777"}));
    EXPECT_EQ(host.stored("Preview hWnd"), "777");
    EXPECT_EQ(host.stored("SSActive"), "<missing>");
    EXPECT_TRUE(program->timerEnabled());
    EXPECT_FALSE(windows.cursor.hidden());
    ASSERT_EQ(output.frameRequests.size(), 1u);
    EXPECT_FALSE(output.frameRequests[0].addCaption);  // the preview has no caption
    EXPECT_EQ(output.frames[0], QSize(201, 151));      // fitted to the preview, not the screen
}

TEST_F(SaverRun, APreviewWithoutAnEarlierOneClosesNothing) {
    for (const char* earlier : {"", "0"}) {
        host.windows.calls.clear();
        host.store("Preview hWnd", earlier);
        ASSERT_EQ(start({"/p", "42"}), Program::Outcome::Running);
        EXPECT_EQ(host.windows.calls, Calls{"setWindowPid 777"}) << earlier;
    }
}

struct BadHostCase {
    std::string name;
    std::vector<std::string> args;
    std::string told;
    std::uint32_t otherWindow = 0;  // a window that exists besides 42, when not 0
};

class PreviewWithoutHost : public SaverRun, public testing::WithParamInterface<BadHostCase> {};

TEST_P(PreviewWithoutHost, SaysSoAndTouchesNothing) {
    host.store("Preview hWnd", "555");
    if (GetParam().otherWindow)
        host.windows.sizes[GetParam().otherWindow] = QSize(300, 200);
    const std::string before = muralto::test::readFile(host.temp.hivePath);
    testing::internal::CaptureStderr();
    EXPECT_EQ(start(GetParam().args), Program::Outcome::Failed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "muralto: there is no window " + GetParam().told + " to show the screen saver in\n");
    EXPECT_EQ(muralto::test::readFile(host.temp.hivePath), before);
    EXPECT_EQ(taken(), Calls{});
    EXPECT_EQ(host.windows.calls, Calls{});
    EXPECT_FALSE(program->timerEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreviewWithoutHost,
    testing::Values(BadHostCase{"NoHandle", {"/p"}, "0"}, BadHostCase{"Zero", {"/p", "0"}, "0"},
                    BadHostCase{"Text", {"/p", "window"}, "0"},
                    BadHostCase{"Negative", {"/p", "-42"}, "4294967254"},
                    BadHostCase{"NoSuchWindow", {"/p", "43"}, "43"},
                    // The size comes from the text after "/p", which here names another window
                    // (blanks inside a number are skipped): the host itself must exist.
                    BadHostCase{"NoSuchHost", {"/p42", "43"}, "43", 4243},
                    BadHostCase{"NoSuchWindowId", {"-window-id", "43"}, "43"},
                    BadHostCase{"UnreadableWindowId", {"-window-id", "x"}, "0"}),
    muralto::test::byName);

struct XScreenSaverCase {
    std::string name;
    std::vector<std::string> args;
    const char* environment;  // $XSCREENSAVER_WINDOW
    Calls calls;
    bool caption;
    QSize frame;
};

class XScreenSaverRun : public SaverRun, public testing::WithParamInterface<XScreenSaverCase> {};

// The daemon wakes the screen and runs one program per screen: the run touches no shared value,
// hides no cursor and ignores the mouse.
TEST_P(XScreenSaverRun, DrawsWhereTheDaemonSaysAndNothingElse) {
    const XScreenSaverCase& c = GetParam();
    host.store("SSActive", "True");
    host.anotherInstance = true;
    host.store("Preview hWnd", "555");
    const std::string before = muralto::test::readFile(host.temp.hivePath);
    ASSERT_EQ(start(c.args, c.environment), Program::Outcome::Running);
    program->Form_MouseMove(0, 0);
    program->Form_MouseMove(500, 500);
    EXPECT_EQ(taken(), c.calls);
    EXPECT_EQ(host.windows.calls, Calls{});
    EXPECT_TRUE(program->timerEnabled());
    ASSERT_EQ(output.frameRequests.size(), 1u);
    EXPECT_EQ(output.frameRequests[0].addCaption, c.caption);
    EXPECT_EQ(output.frames[0], c.frame);

    program->EndProgram();
    EXPECT_EQ(taken(), (Calls{"unloadOptions", "unloadImage", "endProcess"}));
    EXPECT_EQ(muralto::test::readFile(host.temp.hivePath), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XScreenSaverRun,
    testing::Values(
        // 640x480 fitted to 200 by 150 less the caption's 20 rows: 173x130, then the strip.
        XScreenSaverCase{"RootIntoTheDaemonsWindow",
                         {"-root"},
                         "0x2a",
                         {"embed 42 200x150", "addGroups"},
                         true,
                         QSize(173, 150)},
        XScreenSaverCase{"RootWithoutWindow",
                         {"--root"},
                         nullptr,
                         {"showSaverWindow", "addGroups"},
                         true,
                         QSize(640, 500)},
        XScreenSaverCase{"RootWhenTheWindowIsGone",
                         {"-root"},
                         "0x2b",
                         {"showSaverWindow", "addGroups"},
                         true,
                         QSize(640, 500)},
        XScreenSaverCase{"WindowId",
                         {"-window-id", "42"},
                         nullptr,
                         {"embed 42 200x150", "addGroups"},
                         false,
                         QSize(200, 150)},
        XScreenSaverCase{"WindowIdWinsOverRoot",
                         {"--root", "--window-id", "0x2a"},
                         "0x2b",
                         {"embed 42 200x150", "addGroups"},
                         false,
                         QSize(200, 150)}),
    muralto::test::byName);

TEST_F(SaverRun, ThePreviewEndsWhenItsHostGoesAway) {
    ASSERT_EQ(start({"/p", "42"}), Program::Outcome::Running);
    taken();
    const auto ended = [&] {
        return !windows.calls.empty() && windows.calls.back() == "endProcess";
    };
    EXPECT_FALSE(muralto::test::processUntil(ended, std::chrono::milliseconds(700)));
    host.windows.sizes.erase(42);
    EXPECT_TRUE(muralto::test::processUntil(ended));
}

}  // namespace
}  // namespace muralto::app
