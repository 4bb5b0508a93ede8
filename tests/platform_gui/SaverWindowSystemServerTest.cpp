// The screen saver's window services against a real X server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
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

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

class SaverWindowSystemTest : public test::XServerTest {
public:
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
    xcb_pixmap_t pixmap() {
        const xcb_pixmap_t id = xcb_generate_id(connection_);
        xcb_create_pixmap(connection_, screen_->root_depth, id, screen_->root, 16, 16);
        display_.sync();
        return id;
    }

    std::unique_ptr<SaverWindowSystem> system_ = makeSaverWindowSystem();
};

TEST_F(SaverWindowSystemTest, WindowSizeIsTheInsideOfAnExistingWindowOnly) {
    const xcb_window_t window = display_.createWindow(123, 45);
    EXPECT_EQ(system_->windowSize(window), QSize(123, 45));
    EXPECT_EQ(system_->rootWindow(), screen_->root);
    xcb_destroy_window(connection_, window);
    display_.sync();
    EXPECT_EQ(system_->windowSize(window), std::nullopt);
    // A pixmap has a geometry too, but it is no window to draw a preview in.
    EXPECT_EQ(system_->windowSize(pixmap()), std::nullopt);
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
}

/// The close request goes only to a window that an earlier instance of this program marked as
/// its own; whatever else the id names is left alone, and the connection survives it.
TEST_F(SaverWindowSystemTest, ClosesOnlyAWindowOfAnEarlierInstanceOfThisProgram) {
    // A copy of this process runs this program, as an earlier preview would.
    ChildProcess same = ChildProcess::fork([] {
        char end;
        return static_cast<int>(::read(STDIN_FILENO, &end, 1));
    });
    const auto samePid = static_cast<std::uint32_t>(same.pid());
    const auto ownPid = static_cast<std::uint32_t>(getpid());
    const std::uint32_t twoPids[] = {samePid, samePid};
    const std::string here = hostName(), elsewhere = hostName() + ".elsewhere";
    const auto pid = [&](xcb_atom_t type, int format, const void* data, std::uint32_t count) {
        return [=, this](xcb_window_t w) {
            display_.setProperty(w, "_NET_WM_PID", type, format, data, count);
        };
    };
    const auto machine = [&](const std::string& name) {
        return [&, name](xcb_window_t w) {
            pid(XCB_ATOM_CARDINAL, 32, &samePid, 1)(w);
            display_.setProperty(w, "WM_CLIENT_MACHINE", XCB_ATOM_STRING, 8, name.data(),
                                 static_cast<std::uint32_t>(name.size()));
        };
    };
    const std::tuple<const char*, std::function<void(xcb_window_t)>, bool> cases[] = {
        {"same program", pid(XCB_ATOM_CARDINAL, 32, &samePid, 1), true},
        {"same program here", machine(here), true},
        {"same program elsewhere", machine(elsewhere), false},
        {"this very process", pid(XCB_ATOM_CARDINAL, 32, &ownPid, 1), false},
        {"no mark", [](xcb_window_t) {}, false},
        {"id as a string", pid(XCB_ATOM_STRING, 32, &samePid, 1), false},
        {"id in 16-bit units", pid(XCB_ATOM_CARDINAL, 16, &samePid, 2), false},
        {"two ids", pid(XCB_ATOM_CARDINAL, 32, twoPids, 2), false},
    };
    for (const auto& [name, mark, sent] : cases) {
        const xcb_window_t window = display_.createWindow(20, 20);
        mark(window);
        EXPECT_EQ(system_->closeEarlierPreview(window), sent) << name;
        EXPECT_EQ(deleteRequestArrived(window), sent) << name;
    }
    const xcb_window_t gone = display_.createWindow(20, 20);
    pid(XCB_ATOM_CARDINAL, 32, &samePid, 1)(gone);
    xcb_destroy_window(connection_, gone);
    for (const std::uint32_t id : {gone, pixmap(), 0u, 0xFFFFFFFFu})
        EXPECT_FALSE(system_->closeEarlierPreview(id)) << id;
    EXPECT_TRUE(system_->windowSize(screen_->root).has_value());
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
