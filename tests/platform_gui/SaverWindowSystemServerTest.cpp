// The screen saver's window services against a real X server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <string>

#include "platform/gui/SaverWindowSystem.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XDisplay.h"

namespace muralto::platform {
namespace {

using test::ChildProcess;

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
        while (const auto event = xcb::own(xcb_poll_for_event(connection_))) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
            arrived = arrived || ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE &&
                                  message->window == window && message->format == 32 &&
                                  message->type == display_.atom("WM_PROTOCOLS") &&
                                  message->data.data32[0] == display_.atom("WM_DELETE_WINDOW"));
        }
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

/// The close request goes only to a window that an earlier instance of this program on this
/// machine marked as its own; whatever else the id names is left alone, and the connection
/// survives it. End to end, a second preview closes the first and spares other programs' windows.
TEST_F(SaverWindowSystemTest, ClosesOnlyAWindowOfAnEarlierInstanceOfThisProgramHere) {
    // A copy of this process runs this program, as an earlier preview would.
    ChildProcess same = ChildProcess::fork([] {
        char end;
        return static_cast<int>(::read(STDIN_FILENO, &end, 1));
    });
    const auto mark = [&](std::uint32_t pid, const std::string& machine, bool preview = true) {
        const xcb_window_t w = display_.createWindow(20, 20);
        const std::uint32_t one = 1;
        if (preview)
            display_.setProperty(w, kPreviewProperty, XCB_ATOM_CARDINAL, 32, &one, 1);
        display_.setProperty(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, 32, &pid, 1);
        display_.setProperty(w, "WM_CLIENT_MACHINE", XCB_ATOM_STRING, 8, machine.data(),
                             static_cast<std::uint32_t>(machine.size()));
        return w;
    };
    const auto samePid = static_cast<std::uint32_t>(same.pid());
    const std::tuple<const char*, std::uint32_t, std::string, bool, bool> cases[] = {
        {"same program here", samePid, hostName(), true, true},
        // The id reused by the resident program's options window, say.
        {"same program here, no preview", samePid, hostName(), false, false},
        {"same program elsewhere", samePid, hostName() + ".elsewhere", true, false},
        {"this very process", static_cast<std::uint32_t>(getpid()), hostName(), true, false},
    };
    for (const auto& [name, pid, machine, preview, sent] : cases) {
        const xcb_window_t window = mark(pid, machine, preview);
        EXPECT_EQ(system_->closeEarlierPreview(window), sent) << name;
        EXPECT_EQ(deleteRequestArrived(window), sent) << name;
    }
    const xcb_window_t gone = mark(samePid, hostName());
    xcb_destroy_window(connection_, gone);
    for (const std::uint32_t id : {gone, pixmap()})
        EXPECT_FALSE(system_->closeEarlierPreview(id)) << id;
    // A pixmap has a geometry too, but it is no window to draw a preview in.
    EXPECT_EQ(system_->windowSize(pixmap()), std::nullopt);
    EXPECT_TRUE(system_->windowSize(screen_->root).has_value());
}

TEST(SaverWindowSystemWithoutServer, AnswersNoSuchWindow) {
    auto system = makeSaverWindowSystem(":" + std::to_string(INT_MAX / 2));
    EXPECT_EQ(system->rootWindow(), 0u);
    EXPECT_EQ(system->windowSize(1), std::nullopt);
    EXPECT_FALSE(system->closeEarlierPreview(1));
    system->markPreview(1);
}

}  // namespace
}  // namespace muralto::platform
