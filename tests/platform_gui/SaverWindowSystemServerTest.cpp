// Runs against a real X server. Started as "--hold-window", the program instead plays an earlier
// preview: it creates a window, marks it with its process id, prints the window's id and waits
// for a request to close it, then prints "delete".
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "platform/gui/SaverWindowSystem.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XDisplay.h"

namespace muralto::platform {
namespace {

using test::ChildProcess;
using test::XDisplay;

/// Whether event is the close request a window manager sends.
bool isDeleteRequest(const XDisplay& x, const xcb_generic_event_t* event, xcb_window_t window) {
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    return message->window == window && message->format == 32 &&
           message->type == x.atom("WM_PROTOCOLS") &&
           message->data.data32[0] == x.atom("WM_DELETE_WINDOW");
}

/// The "--hold-window" mode.
int holdWindow() {
    alarm(120);  // never outlive a test that forgot this process
    const XDisplay x;
    if (!x.connected())
        return 2;
    const xcb_window_t window = x.createWindow(50, 40);
    makeSaverWindowSystem()->setWindowPid(window);
    std::printf("%u\n", window);
    std::fflush(stdout);
    while (const auto event = xcb::own(xcb_wait_for_event(x.connection()))) {
        if (isDeleteRequest(x, event.get(), window)) {
            std::printf("delete\n");
            return 0;
        }
    }
    return 1;
}

std::string thisProgram() {
    char path[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

class SaverWindowSystemTest : public test::XServerTest {
public:
    void setProperty(xcb_window_t window, const char* name, xcb_atom_t type, int format,
                     const void* data, std::uint32_t count) {
        display_.setProperty(window, name, type, format, data, count);
    }

    /// Whether a close request for window reached this connection, the window's creator. The
    /// sender waited for the server to handle its request, so after one round trip here any
    /// event it caused is in this connection's queue.
    bool deleteRequestArrived(xcb_window_t window) {
        display_.sync();
        bool arrived = false;
        while (const auto event = xcb::own(xcb_poll_for_event(connection_)))
            arrived = arrived || isDeleteRequest(display_, event.get(), window);
        return arrived;
    }

    std::unique_ptr<SaverWindowSystem> system_ = makeSaverWindowSystem();
};

TEST_F(SaverWindowSystemTest, WindowSizeIsTheInsideOfAnExistingWindowOnly) {
    const xcb_window_t window = display_.createWindow(123, 45);
    EXPECT_EQ(system_->windowSize(window), QSize(123, 45));
    EXPECT_EQ(system_->windowSize(screen_->root),
              QSize(screen_->width_in_pixels, screen_->height_in_pixels));
    EXPECT_EQ(system_->rootWindow(), screen_->root);

    xcb_destroy_window(connection_, window);
    display_.sync();
    EXPECT_EQ(system_->windowSize(window), std::nullopt);
    EXPECT_EQ(system_->windowSize(0), std::nullopt);
    // A pixmap has a geometry too, but it is no window to draw a preview in.
    const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, screen_->root_depth, pixmap, screen_->root, 16, 16);
    display_.sync();
    EXPECT_EQ(system_->windowSize(pixmap), std::nullopt);
}

TEST_F(SaverWindowSystemTest, SetWindowPidWritesOurIdAndMachine) {
    const xcb_window_t window = display_.createWindow(10, 10);
    system_->setWindowPid(window);
    const std::string pid =
        display_.property(window, display_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    ASSERT_EQ(pid.size(), 4u);
    std::uint32_t value = 0;
    std::memcpy(&value, pid.data(), 4);
    EXPECT_EQ(value, static_cast<std::uint32_t>(getpid()));
    EXPECT_EQ(display_.property(window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING), hostName());

    // An id that names no window changes nothing and breaks nothing.
    xcb_destroy_window(connection_, window);
    display_.sync();
    system_->setWindowPid(window);
    system_->setWindowPid(0);
    EXPECT_EQ(system_->windowSize(screen_->root).has_value(), true);
}

TEST_F(SaverWindowSystemTest, AnEarlierPreviewInAnotherProcessReceivesTheCloseRequest) {
    ChildProcess preview = ChildProcess::run({thisProgram(), "--hold-window"});
    const std::string id = preview.readLine();
    ASSERT_FALSE(id.empty()) << "the preview process printed no window id";
    const auto window = static_cast<xcb_window_t>(std::stoul(id));
    EXPECT_EQ(system_->windowSize(window), QSize(50, 40));

    EXPECT_TRUE(system_->closeEarlierPreview(window));
    EXPECT_EQ(preview.readLine(), "delete");
    EXPECT_EQ(preview.exitCode(), 0);
}

/// What a row does to a window the test made before asking to close it: sameProgram is the id
/// of a running process of this test program, otherProgram that of a process of another one.
class CloseEarlierPreviewTest;
using Self = CloseEarlierPreviewTest;
using Pid = std::uint32_t;

struct Marking {
    const char* name;
    std::function<void(Self&, xcb_window_t, Pid sameProgram, Pid otherProgram)> mark;
    bool sent;
};

void PrintTo(const Marking& marking, std::ostream* out) {
    *out << marking.name;
}

class CloseEarlierPreviewTest : public SaverWindowSystemTest,
                                public testing::WithParamInterface<Marking> {
public:
    void pid(xcb_window_t window, std::uint32_t value) {
        setProperty(window, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &value, 1);
    }
    void machine(xcb_window_t window, const std::string& name) {
        setProperty(window, "WM_CLIENT_MACHINE", XCB_ATOM_STRING, 8, name.data(),
                    static_cast<std::uint32_t>(name.size()));
    }
};

const Marking kMarkings[] = {
    {"SameProgram", [](Self& t, xcb_window_t w, Pid same, Pid) { t.pid(w, same); }, true},
    {"SameProgramOnThisMachine",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.pid(w, same);
         t.machine(w, hostName());
     },
     true},
    {"SameProgramOnAnotherMachine",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.pid(w, same);
         t.machine(w, hostName() + ".elsewhere");
     },
     false},
    {"AnotherProgram", [](Self& t, xcb_window_t w, Pid, Pid other) { t.pid(w, other); }, false},
    {"ThisVeryProcess",
     [](Self& t, xcb_window_t w, Pid, Pid) { t.pid(w, static_cast<std::uint32_t>(getpid())); },
     false},
    {"NoProperty", [](Self&, xcb_window_t, Pid, Pid) {}, false},
    {"PidZero", [](Self& t, xcb_window_t w, Pid, Pid) { t.pid(w, 0); }, false},
    {"PidBeyondAnyProcess", [](Self& t, xcb_window_t w, Pid, Pid) { t.pid(w, 0xFFFFFFF0u); },
     false},
    {"PidAsString",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_STRING, 32, &same, 1);
     },
     false},
    {"PidInSixteenBitUnits",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 16, &same, 2);
     },
     false},
    {"TwoPids",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         const std::uint32_t pids[] = {same, same};
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, pids, 2);
     },
     false},
    {"EmptyPid",
     [](Self& t, xcb_window_t w, Pid same, Pid) {
         t.setProperty(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &same, 0);
     },
     false},
};

TEST_P(CloseEarlierPreviewTest, SendsOnlyToAnEarlierInstanceOfThisProgram) {
    ChildProcess same = ChildProcess::run({thisProgram(), "--hold-window"});
    ChildProcess other = ChildProcess::run({"sleep", "60"});
    ASSERT_FALSE(same.readLine().empty()) << "the helper process did not start";
    const xcb_window_t window = display_.createWindow(20, 20);
    GetParam().mark(*this, window, static_cast<std::uint32_t>(same.pid()),
                    static_cast<std::uint32_t>(other.pid()));

    EXPECT_EQ(system_->closeEarlierPreview(window), GetParam().sent);
    EXPECT_EQ(deleteRequestArrived(window), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(Windows, CloseEarlierPreviewTest, testing::ValuesIn(kMarkings),
                         test::byName);

TEST_F(SaverWindowSystemTest, IdsThatNameNoMarkedWindowAreLeftAlone) {
    ChildProcess same = ChildProcess::run({thisProgram(), "--hold-window"});
    ASSERT_FALSE(same.readLine().empty());
    const auto samePid = static_cast<std::uint32_t>(same.pid());
    const xcb_window_t gone = display_.createWindow(20, 20);
    setProperty(gone, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &samePid, 1);
    xcb_destroy_window(connection_, gone);
    const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, screen_->root_depth, pixmap, screen_->root, 16, 16);
    display_.sync();

    EXPECT_FALSE(system_->closeEarlierPreview(gone));
    EXPECT_FALSE(system_->closeEarlierPreview(pixmap));
    EXPECT_FALSE(system_->closeEarlierPreview(0));
    EXPECT_FALSE(system_->closeEarlierPreview(0xFFFFFFFFu));
    // The connection survived every failed request.
    EXPECT_EQ(system_->windowSize(screen_->root).has_value(), true);
}

TEST(SaverWindowSystemWithoutServer, AnswersNoSuchWindow) {
    auto system = makeSaverWindowSystem(":" + std::to_string(INT_MAX / 2));
    EXPECT_EQ(system->rootWindow(), 0u);
    EXPECT_EQ(system->windowSize(1), std::nullopt);
    EXPECT_FALSE(system->closeEarlierPreview(1));
    system->setWindowPid(1);
}

}  // namespace
}  // namespace muralto::platform

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--hold-window") == 0)
        return muralto::platform::holdWindow();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
