// The program's rules in each mode on fake services and recorded windows, the icon's and the
// image window's own steps on real windows, the command line and the update timer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTimer>

#include <functional>
#include <map>
#include <ranges>

#include "app/CommandLine.h"
#include "app/Program.h"
#include "app/QtWindows.h"
#include "app/UpdateTimer.h"
#include "app/frmImage.h"
#include "tests/support/Fakes.h"
#include "tests/support/HangingFolderProbe.h"
#include "tests/support/RecordingOutput.h"
#include "tests/support/TempHive.h"

namespace muralto::app {
namespace {

using muralto::test::readFile;
using settings::RunMode;

/// The host services of a program under test, with a registry of its own.
struct TestServices {
    struct CountingRandom : platform::RandomSource {
        double next() override { return 0.5; }
        void seedFromTimeOfDay() override { ++seeds; }
        int seeds = 0;
    };
    struct NoInstaller : platform::ScreenSaverInstaller {
        void install(const std::string&) override {}
    };

    /// Windows of other programs, by id, and how often they were touched.
    struct FakeWindowSystem : platform::SaverWindowSystem {
        std::optional<QSize> windowSize(std::uint32_t window) override {
            return sizes.contains(window) ? std::optional(sizes[window]) : std::nullopt;
        }
        std::uint32_t rootWindow() override { return 1; }
        void markPreview(std::uint32_t) override { ++calls; }
        bool closeEarlierPreview(std::uint32_t) override { return ++calls; }
        std::map<std::uint32_t, QSize> sizes;
        int calls = 0;
    };

    Services services() {
        return {temp.registry, temp.boxes, system,  random,
                installer,     strings,    windows, [this] { return !saverPlaceTaken; },
                probe,         jobs};
    }
    std::string stored(std::string_view name) { return temp.stored("Settings", name); }
    void store(std::string_view name, std::string_view value) {
        temp.store("Settings", name, value);
    }

    muralto::test::TempHive temp;
    muralto::test::FakeSystemInfo system;
    CountingRandom random;
    NoInstaller installer;
    FakeWindowSystem windows;
    bool saverPlaceTaken = false;  ///< another saver holds the saver's place
    i18n::StringTable strings{i18n::Language::EnUS};
    std::shared_ptr<imaging::FolderProbe> probe;
    std::shared_ptr<platform::JobRunner> jobs = std::make_shared<platform::InlineJobRunner>();
};

/// Records the program's window steps in order; the image window is 777.
class RecordingWindows : public ProgramWindows {
public:
    imaging::CharMetrics measureCanvasFont() override { return {13, 11}; }
    void restoreOptionsWindowPlacement() override { step("restorePlacement"); }
    void addTrayIcon() override { step("addTrayIcon"); }
    void showOptionsWindow() override { step("showOptions"); }
    void restoreOptionsWindowIfMinimised() override { step("restoreIfMinimised"); }
    QSize screenSize() override { return {1024, 768}; }
    void notify(const std::string& text) override {
        notices.push_back(text);
        noticeBeforeIcon |= calls.find("addTrayIcon") == std::string::npos;
    }
    void showSaverWindow() override {
        step("showSaverWindow");
        imageSize = screenSize();
    }
    void embedImageWindow(std::uint32_t host, QSize size) override {
        step("embed " + std::to_string(host) + " " + std::to_string(size.width()));
        imageSize = size;
    }
    std::uint32_t imageWindowId() override { return 777; }
    QSize imageWindowSize() override { return imageSize; }

    void removeTrayIcon() override { step("removeTrayIcon"); }
    void saveOptionsWindowPlacement() override { step("savePlacement"); }
    void unloadOptionsWindow() override {
        step("unloadOptions");
        onUnloadOptions();
        program->EndProgram();  // the window's unload ends the program too
    }
    void unloadImageWindow() override {
        step("unloadImage");
        program->Form_Unload();
    }
    void showCursor(bool show) override {
        step(show ? "showCursor" : "hideCursor");
        cursor.ShowCursor(show);
    }
    void addGroups() override { step("addGroups"); }
    void endProcess() override {
        step("endProcess");
        onEndProcess();
    }

    void step(const std::string& name) { calls += (calls.empty() ? "" : ", ") + name; }

    Program* program = nullptr;
    std::function<void()> onUnloadOptions = [] {}, onEndProcess = [] {};
    std::string calls;
    std::vector<std::string> notices;
    bool noticeBeforeIcon = false;  ///< a notice went nowhere: the icon was not up yet
    CursorCounter cursor;
    QSize imageSize;
};

// Every move is judged from the first position, recorded rounded half to even.
TEST(WakeRuleTest, AMoveOfMoreThanFourPixelsOnEitherAxisWakes) {
    WakeRule rule, other;
    EXPECT_FALSE(rule.wakes(2.5, 2.5));  // recorded as (2, 2)
    EXPECT_FALSE(rule.wakes(6, -2));
    EXPECT_FALSE(rule.wakes(-2, 6));
    EXPECT_TRUE(rule.wakes(6.5, 2));
    EXPECT_FALSE(other.wakes(0, 0));
    EXPECT_TRUE(other.wakes(0, 5));
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
        host.store("Path", (dir.path() / "pics").string());
        host.store("SSPath", (dir.path() / "pics").string());
        host.store("SSAddPath", "-1");
        host.windows.sizes[42] = QSize(200, 150);
    }

    Program::Outcome start(const std::string& args, const char* xscreensaverWindow = nullptr) {
        std::vector<std::string> arguments;
        for (auto word : std::views::split(args, ' '))
            arguments.emplace_back(word.begin(), word.end());
        program = std::make_unique<Program>(host.services());
        windows.program = program.get();
        return program->Main(parseCommandLine(arguments, xscreensaverWindow), &windows, &output);
    }
    std::string taken() { return std::exchange(windows.calls, {}); }

    TestServices host;
    muralto::test::TempDir& dir = host.temp.dir;
    RecordingWindows windows;
    muralto::test::RecordingOutput output;
    std::unique_ptr<Program> program;
};

struct ModeCase {
    const char* name;
    const char* args;
    const char* environment;  ///< $XSCREENSAVER_WINDOW
    const char* start;
    const char* end;
    const char* ssActive;  ///< SSActive while running ("True" before the start)
    QSize frame{};         ///< the first saver frame, if any
    bool wakes = false;    ///< a large move of the mouse ends it
};

class ProgramModes : public ProgramRun, public testing::WithParamInterface<ModeCase> {};

// The end runs once however often it is asked for; the entries are saved after the unload.
TEST_P(ProgramModes, StartAndEndInOrder) {
    const ModeCase& c = GetParam();
    host.store("SSActive", "True");
    host.temp.store("Settings\\Newsgroups\\alt.a", "MaxFiles", "3");
    ASSERT_EQ(start(c.args, c.environment), Program::Outcome::Running);
    EXPECT_EQ(taken(), c.start);
    EXPECT_EQ(host.stored("SSActive"), c.ssActive);
    EXPECT_EQ(program->timerEnabled(), program->runMode() != RunMode::Options);
    ASSERT_TRUE(program->Newsgroups && program->Newsgroups->Count() == 1);
    EXPECT_EQ(output.wallpapers.size(), *c.args ? 0u : 1u);
    EXPECT_EQ(host.temp.boxes.asked.size(), *c.args ? 0u : 1u);  // to become the saver
    EXPECT_EQ(host.random.seeds, 1);
    EXPECT_EQ(output.frames, c.frame.isEmpty() ? std::vector<QSize>{} : std::vector{c.frame});
    windows.onUnloadOptions = [&] { program->Newsgroups->Item(1)->MaxFiles(9); };
    std::string savedAtTheEnd;
    windows.onEndProcess = [&] {
        savedAtTheEnd = host.temp.stored("Settings\\Newsgroups\\alt.a", "MaxFiles");
    };
    const std::uint64_t writesBefore = host.temp.userHive->writeCount();
    program->Form_MouseMove(10, 10);
    program->Form_MouseMove(10, 30);
    EXPECT_EQ(taken(), c.wakes ? std::string("showCursor, hideCursor, ") + c.end : "");
    program->EndProgram();
    program->EndProgram();
    EXPECT_EQ(taken(), c.wakes ? "" : c.end);
    EXPECT_EQ(savedAtTheEnd, "9");
    // The entry's three missing values, its edit and the saver's flag: one rewrite for all.
    EXPECT_EQ(host.temp.userHive->writeCount() - writesBefore, 1u);
    EXPECT_FALSE(windows.cursor.hidden());
}

const char* const kEnd = "unloadOptions, unloadImage, endProcess";

// The preview is one pixel wider and taller than its host's inside; xscreensaver's -root
// draws where the daemon says, leaves SSActive alone and ignores the mouse.
INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramModes,
    testing::Values(
        ModeCase{"Wallpaper", "", nullptr, "restorePlacement, addTrayIcon, showOptions, addGroups",
                 "removeTrayIcon, savePlacement, unloadOptions, unloadImage, endProcess", "False"},
        ModeCase{"Options", "/c", nullptr,
                 "restorePlacement, showOptions, restoreIfMinimised, addGroups", kEnd, "False"},
        ModeCase{"Saver", "/s", nullptr, "showSaverWindow, hideCursor, addGroups",
                 "unloadOptions, unloadImage, showCursor, endProcess", "True", QSize(640, 500),
                 true},
        ModeCase{"Preview", "/p 42", nullptr, "embed 42 201, addGroups", kEnd, "True",
                 QSize(201, 151)},
        // 640x480 fitted to 200 by 150 less the caption's 20 rows: 173x130.
        ModeCase{"RootIntoTheDaemonsWindow", "-root", "0x2a", "embed 42 200, addGroups", kEnd,
                 "True", QSize(173, 150)},
        ModeCase{"RootWhenTheWindowIsGone", "-root", "0x2b", "showSaverWindow, addGroups", kEnd,
                 "True", QSize(640, 500)}),
    muralto::test::byName);

// A value left by a saver that did not end properly, or another instance that is no saver,
// does not keep the saver from starting.
// The end never waits for an update's work, here hanging on a picture folder whose mount does
// not answer: the work is told to give up, and once it can, it writes and shows nothing.
TEST_F(ProgramRun, AnEndDuringAHangingUpdateEndsAtOnceWithItsValuesWritten) {
    const std::string bitmap = host.system.directory + "/jdoe.bmp";
    for (const char* args : {"", "/s"}) {
        SCOPED_TRACE(args);
        auto probe = std::make_shared<test::HangingFolderProbe>("/proc/self/mountinfo",
                                                                (dir.path() / "pics").string());
        host.probe = probe;
        host.jobs = std::make_shared<platform::ThreadJobRunner>();
        ASSERT_EQ(start(args), Program::Outcome::Running);
        ASSERT_TRUE(test::eventually([&] { return probe->hangs() > 0; }));
        taken();
        if (*args) {
            program->Form_MouseMove(10, 10);
            program->Form_MouseMove(10, 30);  // the wake
        } else {
            program->EndProgram();
        }
        EXPECT_TRUE(taken().ends_with("endProcess"));
        EXPECT_EQ(host.stored("SSActive"), "False");
        EXPECT_FALSE(program->finishWork(std::chrono::milliseconds(20)));
        probe->release();
        EXPECT_TRUE(program->finishWork(std::chrono::seconds(5)));
        QCoreApplication::processEvents();
        EXPECT_TRUE(output.wallpapers.empty());
        EXPECT_TRUE(output.frames.empty());
        EXPECT_FALSE(std::filesystem::exists(bitmap));
        program.reset();
    }
}

// Only a saver that runs keeps another from starting: an "SSActive" left set by a killed saver
// does not.
TEST_F(ProgramRun, OnlyARunningSaverKeepsAnotherFromStarting) {
    for (const auto& [ssActive, taken] : {std::pair{"True", false}, {"False", true}}) {
        host.store("SSActive", ssActive);
        host.saverPlaceTaken = taken;
        EXPECT_EQ(start("/s"), taken ? Program::Outcome::EndNow : Program::Outcome::Running)
            << ssActive;
        program->EndProgram();
    }
}

// "/p42 43": the size comes from the text after "/p", which names another window (blanks
// inside a number are skipped): the host itself must exist.
TEST_F(ProgramRun, APreviewWithoutItsHostSaysSoAndTouchesNothing) {
    host.windows.sizes[4243] = QSize(300, 200);
    const std::string before = readFile(host.temp.hivePath);
    testing::internal::CaptureStderr();
    EXPECT_EQ(start("/p42 43"), Program::Outcome::Failed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "muralto: there is no window 43 to show the screen saver in\n");
    EXPECT_EQ(readFile(host.temp.hivePath), before);
    EXPECT_EQ(taken(), "");
    EXPECT_EQ(host.windows.calls, 0);
}

// An unsupported session is told once and costs nothing until a save asks again.
TEST_F(ProgramRun, AnUnsupportedSessionIsAskedAgainAtEachSave) {
    output.unsupportedReason = "no way is known here";
    testing::internal::CaptureStderr();
    start("");
    program->UpdateImage();
    EXPECT_EQ(output.asked, 1);
    program->settings().SaveSettings(*program);
    output.unsupportedReason.clear();
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Shown);
    EXPECT_TRUE(windows.notices.size() == 1u && output.asked == 2);
    EXPECT_FALSE(windows.noticeBeforeIcon);
    testing::internal::GetCapturedStderr();
}

// A change whose failure shows that the session cannot take a wallpaper at all (the backend's
// helper ended at once) is told once, as an unsupported session, and the next update composes
// nothing.
TEST_F(ProgramRun, AChangeThatFindsTheSessionUnsupportedIsToldOnceAsSuch) {
    output.answer = {false, "the helper ended at once", "The wallpaper cannot be changed: retry"};
    output.duringShow = [this] { output.unsupportedReason = "the helper ended at once"; };
    testing::internal::CaptureStderr();
    start("");
    ASSERT_EQ(output.wallpapers.size(), 1u);
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Unsupported);
    EXPECT_EQ(output.wallpapers.size(), 1u);
    const std::string told = testing::internal::GetCapturedStderr();
    ASSERT_EQ(windows.notices.size(), 1u);
    EXPECT_NE(windows.notices[0].find("the helper ended at once. Muralto leaves it alone"),
              std::string::npos)
        << windows.notices[0];
    EXPECT_EQ(told.find("retry"), std::string::npos) << told;
}

struct ProgramWithWindows {
    TestServices host;
    Program program{host.services()};
    QtWindows windows{
        program,  host.strings, host.temp.boxes, host.temp.registry, host.system.directory,
        {1, 0, 0}};
};

// A StatusNotifier host sends a plain click where a tray sends a double click.
TEST(WindowStateTest, APlainClickOfTheIconShowsTheWindow) {
    ProgramWithWindows run;
    run.windows.tray().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(run.windows.options().isVisible());
}

// An end asked for before the event loop runs (a signal during a start-up question) ends it.
TEST(WindowStateTest, AnEndBeforeTheEventLoopRunsStillEndsIt) {
    ProgramWithWindows run;
    run.windows.endProcess();
    QTimer guard;  // ends a loop that the end did not end, with another code
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

// The switches are found in the order /c, /s, /a, /p, wherever they stand in the text; a window
// handle is the number after the first blank, the preview's rectangle the one after "/p".
TEST(CommandLineTest, FindsTheFirstSwitchInFixedOrderAndItsHandles) {
    struct Case {
        std::vector<std::string> args;
        RunMode mode;
        bool passwordChange;
        std::int32_t host = 0, rectWindow = 0;
    };
    for (const Case& c :
         {Case{{"/S"}, RunMode::Wallpaper, false}, Case{{"/s", "/c"}, RunMode::Options, false},
          Case{{"/p", "/s"}, RunMode::Saver, false}, Case{{"/p", "/a"}, RunMode::Wallpaper, true},
          Case{{"x/sy"}, RunMode::Saver, false},
          Case{{"/p", "5678"}, RunMode::Preview, false, 5678, 5678},
          Case{{"/p:99", "5678"}, RunMode::Preview, false, 5678, 0},
          Case{{"/p", "12.5"}, RunMode::Preview, false, 12, 12}}) {
        const CommandLine cl = parseCommandLine(c.args, nullptr);
        EXPECT_EQ(cl.runMode, c.mode) << cl.text;
        EXPECT_EQ(cl.passwordChange, c.passwordChange) << cl.text;
        EXPECT_EQ(cl.previewHost, c.host) << cl.text;
        EXPECT_EQ(cl.previewRectWindow, c.rectWindow) << cl.text;
        EXPECT_FALSE(cl.xscreensaver) << cl.text;
    }
}

// -root draws the full-screen saver's frames; a window given with -window-id is a preview and
// wins over $XSCREENSAVER_WINDOW wherever the switches stand.
TEST(CommandLineTest, XScreenSaversSwitchesEmbedAsAPreview) {
    struct Case {
        std::vector<std::string> args;
        const char* environment;  // $XSCREENSAVER_WINDOW
        std::optional<std::uint32_t> window;
        bool fullScreenFrames;
    };
    for (const Case& c : {Case{{"-root"}, "0x2a", 42u, true}, Case{{"--root"}, "42", 42u, true},
                          Case{{"-root"}, "bogus", std::nullopt, true},
                          Case{{"--window-id", "300"}, nullptr, 300u, false},
                          Case{{"-window-id"}, nullptr, 0u, false},
                          Case{{"-window-id", "0x10", "-root"}, "0x2a", 16u, false}}) {
        const CommandLine cl = parseCommandLine(c.args, c.environment);
        EXPECT_EQ(cl.runMode, RunMode::Preview) << cl.text;
        EXPECT_TRUE(cl.xscreensaver) << cl.text;
        EXPECT_EQ(cl.embedWindow, c.window) << cl.text;
        EXPECT_EQ(cl.embedInRoot, !c.window) << cl.text;
        EXPECT_EQ(cl.fullScreenFrames, c.fullScreenFrames) << cl.text;
    }
}

/// Runs ticks one by one and records at which ticks an update ran.
struct TickRun {
    std::int32_t delay = 60;
    std::vector<int> updates;
    int tick = 0;
    std::function<void()> duringUpdate;
    UpdateTimer timer{[this] { return delay; },
                      [this] {
                          updates.push_back(tick);
                          if (duringUpdate)
                              duringUpdate();
                      }};

    void run(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            ++tick;
            timer.TimerTick();
        }
    }
};

// A tick during an update (one showing a dialog, say) is dropped; a shorter delay counts at once.
TEST(UpdateTimerTest, CountsTicksUpToTheDelayOnceStarted) {
    TickRun run;
    run.delay = 2;
    run.duringUpdate = [&] { run.timer.TimerTick(); };
    run.timer.StartTimer();
    run.run(4);
    EXPECT_EQ(run.updates, (std::vector<int>{2, 4}));
    run.delay = 60;
    run.run(50);
    run.delay = 10;
    run.run(1);
    EXPECT_EQ(run.updates, (std::vector<int>{2, 4, 55}));
    TickRun idle;  // nothing is counted before the start; a delay of 0 counts as 1
    idle.delay = 0;
    idle.run(2);
    idle.timer.StartTimer();
    idle.run(2);
    EXPECT_EQ(idle.updates, (std::vector<int>{3, 4}));
}

struct RecordingHost : ImageWindowHost {
    RunMode runMode() const override { return mode; }
    void Form_MouseMove(double x, double y) override { moves.emplace_back(x, y); }
    void Form_Unload() override { ++unloads; }

    RunMode mode = RunMode::Saver;
    std::vector<QPointF> moves;
    int unloads = 0;
};

// Movements over the picture box at (100, 50) are judged in the window; only "/s" passes them.
TEST(ImageWindowTest, MovesReachTheProgramInWindowPixels) {
    struct Case {
        RunMode mode;
        bool overPicture;  // over the picture box, else over the window itself
        QPointF at;
        std::vector<QPointF> judged;  // what reaches the program
    };
    for (const Case& c : {Case{RunMode::Saver, true, {10, 20}, {{110, 70}}},
                          Case{RunMode::Saver, false, {7, 8}, {{7, 8}}},
                          Case{RunMode::Preview, true, {10, 20}, {}}}) {
        RecordingHost host;
        host.mode = c.mode;
        frmImage window(host);
        window.resize(640, 480);
        window.picStorage->setGeometry(100, 50, 200, 100);
        QWidget* over = c.overPicture ? static_cast<QWidget*>(window.picStorage) : &window;
        QMouseEvent event(QEvent::MouseMove, c.at, over->mapToGlobal(c.at), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(over, &event);
        EXPECT_EQ(host.moves, c.judged) << c.at.x();
    }
}

TEST(ImageWindowTest, ClosingItEndsTheProgram) {
    RecordingHost host;
    frmImage window(host);
    window.show();
    EXPECT_EQ(host.unloads, 0);
    window.close();
    EXPECT_EQ(host.unloads, 1);
}

}  // namespace
}  // namespace muralto::app
