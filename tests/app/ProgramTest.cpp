// The program's rules in each mode on fake services and recorded windows, and the options
// window's and the icon's own steps on real windows; the end-to-end tests show the wiring.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QTimer>

#include <functional>
#include <map>
#include <ranges>

#include "app/Program.h"
#include "app/QtWindows.h"
#include "tests/support/Fakes.h"
#include "tests/support/RecordingOutput.h"
#include "tests/support/TempHive.h"

namespace muralto::app {
namespace {

using muralto::test::readFile;

/// The host services of a program under test: a registry of its own, recorded boxes and
/// installs, a fixed system and random source, the American strings.
struct TestServices {
    struct CountingRandom : platform::RandomSource {
        double next() override { return 0.5; }
        void seedFromTimeOfDay() override { ++seeds; }
        int seeds = 0;
    };
    struct RecordingInstaller : platform::ScreenSaverInstaller {
        void install(const std::string& path) override { installed.push_back(path); }
        std::vector<std::string> installed;
    };

    /// Windows of other programs, by id, and what was asked of them.
    struct FakeWindowSystem : platform::SaverWindowSystem {
        std::optional<QSize> windowSize(std::uint32_t window) override {
            const auto found = sizes.find(window);
            return found == sizes.end() ? std::nullopt : std::optional(found->second);
        }
        std::uint32_t rootWindow() override { return 1; }
        void setWindowPid(std::uint32_t window) override {
            calls += "setWindowPid " + std::to_string(window) + ";";
        }
        bool closeEarlierPreview(std::uint32_t window) override {
            calls += "closeEarlierPreview " + std::to_string(window) + ";";
            return true;
        }
        std::map<std::uint32_t, QSize> sizes;
        std::string calls;
    };

    Services services() {
        return {temp.registry, boxes,   system,  random,
                installer,     strings, windows, [this] { return anotherInstance; }};
    }
    /// The value stored under the program's settings, or "<missing>".
    std::string stored(std::string_view name) { return temp.stored("Settings", name); }
    void store(std::string_view name, std::string_view value) {
        temp.store("Settings", name, value);
    }

    muralto::test::TempHive temp;
    muralto::test::FakeMessageBoxes& boxes = temp.boxes;
    muralto::test::FakeSystemInfo system;
    CountingRandom random;
    RecordingInstaller installer;
    FakeWindowSystem windows;
    bool anotherInstance = false;  ///< whether another instance of the program runs
    i18n::StringTable strings{i18n::Language::EnUS};
};

/// Records the program's window steps in order, with the cursor counted as the system counts
/// it. The image window's id is 777; it is the screen's size full screen and the given size
/// inside another window.
class RecordingWindows : public ProgramWindows {
public:
    imaging::CharMetrics measureCanvasFont() override { return {13, 11}; }
    void restoreOptionsWindowPlacement() override { step("restorePlacement"); }
    void addTrayIcon() override { step("addTrayIcon"); }
    void showOptionsWindow() override { step("showOptions"); }
    void restoreOptionsWindowIfMinimised() override { step("restoreIfMinimised"); }
    QSize screenSize() override { return {1024, 768}; }
    void notify(const std::string& text) override { notices.push_back(text); }
    void showSaverWindow() override {
        step("showSaverWindow");
        imageSize = screenSize();
    }
    void embedImageWindow(std::uint32_t host, QSize size) override {
        step("embed " + std::to_string(host) + " " + std::to_string(size.width()) + "x" +
             std::to_string(size.height()));
        imageSize = size;
    }
    std::uint32_t imageWindowId() override { return 777; }
    QSize imageWindowSize() override { return imageSize; }

    void removeTrayIcon() override { step("removeTrayIcon"); }
    void saveOptionsWindowPlacement() override { step("savePlacement"); }
    void unloadOptionsWindow() override {
        step("unloadOptions");
        if (onUnloadOptions)
            onUnloadOptions();
        if (program)
            program->EndProgram();  // the window's unload ends the program too
    }
    void unloadImageWindow() override {
        step("unloadImage");
        if (program)
            program->Form_Unload();
    }
    void showCursor(bool show) override {
        step(show ? "showCursor" : "hideCursor");
        cursor.ShowCursor(show);
    }
    void addGroups() override { step("addGroups"); }
    void endProcess() override {
        step("endProcess");
        if (onEndProcess)
            onEndProcess();
    }

    void step(const std::string& name) { calls += (calls.empty() ? "" : ", ") + name; }

    Program* program = nullptr;
    /// Run when the options window unloads and when the process ends.
    std::function<void()> onUnloadOptions;
    std::function<void()> onEndProcess;
    std::string calls;  ///< the steps, in order
    std::vector<std::string> notices;
    CursorCounter cursor;
    QSize imageSize;  ///< empty until the window is shown
};

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
    // Only the wallpaper mode asks whether to become the default saver (the answer is No).
    EXPECT_EQ(host.boxes.asked.size(), *c.args ? 0u : 1u);
    EXPECT_EQ(host.random.seeds, 1);
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

// An unsupported session is told once and costs nothing until a save asks again.
TEST_F(ProgramRun, AnUnsupportedSessionIsAskedAgainAtEachSave) {
    output.unsupportedReason = "no way is known here";
    testing::internal::CaptureStderr();
    start("");
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Unsupported);
    EXPECT_TRUE(windows.notices.size() == 1u && output.asked == 1);
    program->settings().SaveSettings(*program);
    output.unsupportedReason.clear();
    EXPECT_EQ(program->UpdateImage(), imaging::UpdateResult::Shown);
    EXPECT_TRUE(windows.notices.size() == 1u && output.asked == 2);
    testing::internal::GetCapturedStderr();
}

/// A program on fake services with its real windows.
struct ProgramWithWindows {
    TestServices host;
    Program program{host.services()};
    i18n::StringTable strings{i18n::Language::EnUS};
    QtWindows windows{program,  strings, host.boxes, host.temp.registry, host.system.directory,
                      {1, 0, 0}};
};

// A StatusNotifier host sends a plain click where a tray sends a double click: both bring the
// window back; the context click shows the menu.
TEST(WindowStateTest, EachClickOfTheIconDoesItsOneThing) {
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool windowShown, menuShown;
    };
    for (const Case& c :
         {Case{QSystemTrayIcon::Trigger, true, false}, Case{QSystemTrayIcon::Context, false, true},
          Case{QSystemTrayIcon::MiddleClick, false, false}}) {
        ProgramWithWindows run;
        ui::frmMuralto& form = run.windows.options();
        run.windows.tray().activated(c.reason);
        EXPECT_EQ(form.isVisible(), c.windowShown) << c.reason;
        EXPECT_EQ(form.mnuPopup().isVisible(), c.menuShown) << c.reason;
        form.mnuPopup().hide();
    }
}

TEST(WindowStateTest, TheStartUpStepShowsAMinimisedWindowNormal) {
    ProgramWithWindows run;
    run.windows.options().setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    run.windows.restoreOptionsWindowIfMinimised();
    EXPECT_TRUE(run.windows.options().isVisible());
    EXPECT_EQ(run.windows.options().windowState(), Qt::WindowNoState);
}

// An end asked for before the event loop runs (a signal while a start-up question is shown)
// still ends the loop once it runs, instead of leaving a process that nothing can end.
TEST(WindowStateTest, AnEndBeforeTheEventLoopRunsStillEndsIt) {
    ProgramWithWindows run;
    run.windows.endProcess();
    QTimer guard;  // ends a loop that the end did not end, with another code
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

}  // namespace
}  // namespace muralto::app
