// A real window under a real window manager: openbox on the test's X server. The window is
// placed, its placement saved, the window destroyed and the placement restored into a new one,
// three times over; its frame must neither move nor grow.
#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QApplication>
#include <QDeadlineTimer>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <QWindow>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempHive.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XDisplay.h"
#include "ui/QtPlacedWindow.h"

namespace muralto::ui {
namespace {

/// Window managers take their time: up to ten seconds.
bool processUntil(const std::function<bool()>& done) {
    return muralto::test::processUntil(done, std::chrono::seconds(10));
}

/// The test's connection to the X server, with what a user does through the window manager.
class Display : public test::XDisplay {
public:
    /// Waits until a window manager has taken over the display and shows a window mapped
    /// through it. openbox names itself on the root window before it is ready: a window mapped
    /// in between is never shown, so a probe window is mapped until it is.
    bool waitForWindowManager() {
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection(), root(), XCB_CW_EVENT_MASK, &mask);
        const QDeadlineTimer deadline(20000);
        if (!waitUntil(deadline, [&] { return windowManagerRunning(); }))
            return false;
        const xcb_window_t probe = xcb_generate_id(connection());
        const std::uint32_t probeMask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_create_window(connection(), XCB_COPY_FROM_PARENT, probe, root(), 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &probeMask);
        bool shown = false;
        while (!shown && !deadline.hasExpired()) {
            xcb_map_window(connection(), probe);
            QDeadlineTimer retry(std::min<qint64>(500, deadline.remainingTime()));
            shown = waitUntil(retry, [&] { return viewable(probe); });
        }
        xcb_destroy_window(connection(), probe);
        xcb_flush(connection());
        return shown;
    }

    bool windowManagerRunning() {
        return xcb::getProperty(connection(), root(), atom("_NET_SUPPORTING_WM_CHECK"),
                                XCB_ATOM_WINDOW, 1)
            .single32(XCB_ATOM_WINDOW)
            .has_value();
    }

    /// Asks the window manager to maximise the window, as its maximise button does.
    void maximise(WId window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = static_cast<xcb_window_t>(window);
        event.type = atom("_NET_WM_STATE");
        event.data.data32[0] = 1;  // add
        event.data.data32[1] = atom("_NET_WM_STATE_MAXIMIZED_VERT");
        event.data.data32[2] = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
        event.data.data32[3] = 2;  // asked for by the user
        xcb_send_event(connection(), 0, root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection());
    }

    /// The window manager's frame around the window, as the server has it: the window's
    /// ancestor just below the root, with its border. Qt's own frameGeometry() caches the
    /// frame's margins and may miss a change of decoration, as when a window is maximised.
    QRect frame(WId window) {
        xcb_window_t top = static_cast<xcb_window_t>(window);
        for (;;) {
            const auto tree =
                xcb::reply(connection(), xcb_query_tree(connection(), top), xcb_query_tree_reply);
            const xcb_window_t parent = tree ? tree->parent : root();
            if (parent == root() || parent == XCB_WINDOW_NONE)
                break;
            top = parent;
        }
        const auto g =
            xcb::reply(connection(), xcb_get_geometry(connection(), top), xcb_get_geometry_reply);
        if (!g)
            return {};
        const int border = g->border_width;
        return QRect(g->x, g->y, g->width + 2 * border, g->height + 2 * border);
    }

    /// Whether the window manager has put a frame around the window.
    bool reparented(WId window) {
        const auto tree = xcb::reply(
            connection(), xcb_query_tree(connection(), static_cast<xcb_window_t>(window)),
            xcb_query_tree_reply);
        return tree && tree->parent != root();
    }

private:
    /// Handles the connection's events until done() holds or the deadline passes.
    bool waitUntil(const QDeadlineTimer& deadline, const std::function<bool()>& done) {
        xcb_flush(connection());
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            if (xcb::own(xcb_poll_for_event(connection())))
                continue;
            pollfd readable{xcb_get_file_descriptor(connection()), POLLIN, 0};
            ::poll(&readable, 1, static_cast<int>(deadline.remainingTime()));
        }
        return true;
    }
};

/// Why the tests cannot run here; empty once openbox manages the display.
std::string gSkipReason = "openbox was not started";

/// How the first window is left before its placement is saved.
enum class Ending { Normal, Maximised, MaximisedByTheUser, Minimised };

struct X11Case {
    const char* name;
    Ending ending;
    bool restoredMaximised;
};

const QRect kFirst(130, 90, 500, 300);      // the client area the user left the window at
const QRect kDesigned(300, 200, 400, 260);  // where a new window would open by itself

class PlacementX11Test : public testing::TestWithParam<X11Case>, protected test::TempHive {
protected:
    void SetUp() override {
        if (!gSkipReason.empty())
            GTEST_SKIP() << gSkipReason;
    }

    std::unique_ptr<QWidget> newWindow(const QRect& geometry) {
        auto window = std::make_unique<QWidget>();
        window->setObjectName("frmPlacement");
        window->setWindowTitle("Placement");
        window->setGeometry(geometry);
        return window;
    }

    /// Waits until the window manager has framed the window and Qt sees it.
    bool framed(const QWidget& window) {
        return processUntil([&] {
            return window.windowHandle() && window.windowHandle()->isExposed() &&
                   display.reparented(window.winId());
        });
    }

    /// Leaves the first window as the case says; false when the window manager did not follow.
    bool end(QWidget& window, Ending ending) {
        switch (ending) {
            case Ending::Normal:
                return true;
            case Ending::Maximised:
                window.showMaximized();
                return processUntil([&] { return maximisedOnScreen(window); });
            case Ending::MaximisedByTheUser:
                display.maximise(window.winId());
                return processUntil([&] { return maximisedOnScreen(window); });
            case Ending::Minimised:
                window.showMinimized();
                return processUntil([&] { return window.isMinimized(); });
        }
        return false;
    }

    bool maximisedOnScreen(const QWidget& window) {
        return window.isMaximized() &&
               display.frame(window.winId()) == window.screen()->availableGeometry();
    }

    /// Waits until the server has the window's frame at frame and Qt has caught up with the
    /// state and, for a normal window, the client area; the window manager may still be busy.
    void settle(const QWidget& window, const QRect& frame, bool maximised) {
        processUntil([&] {
            return display.frame(window.winId()) == frame && window.isMaximized() == maximised &&
                   (maximised || window.geometry() == kFirst);
        });
    }

    Display display;
};

TEST_P(PlacementX11Test, TheFrameStaysPutRunAfterRun) {
    const X11Case& c = GetParam();
    auto window = newWindow(kFirst);
    window->show();
    ASSERT_TRUE(framed(*window));
    // The client area lands where it was put, so what is saved is what the user saw.
    EXPECT_EQ(window->geometry(), kFirst);
    const QRect normalFrame = display.frame(window->winId());
    ASSERT_TRUE(end(*window, c.ending));
    const QRect endFrame = c.restoredMaximised ? display.frame(window->winId()) : normalFrame;
    QtPlacedWindow first(*window, true);
    SaveWindowPlacement(first, tools);
    window.reset();

    for (int run = 1; run <= 3; ++run) {
        window = newWindow(kDesigned);
        QtPlacedWindow placed(*window, true);
        RestoreWindowPlacement(placed, tools);
        window->show();
        ASSERT_TRUE(framed(*window)) << "run " << run;
        settle(*window, endFrame, c.restoredMaximised);
        ASSERT_EQ(display.frame(window->winId()), endFrame) << "run " << run;
        EXPECT_EQ(window->isMaximized(), c.restoredMaximised) << "run " << run;
        SaveWindowPlacement(placed, tools);
        // Back from maximised, the window takes the rectangle the first one had.
        window->showNormal();
        settle(*window, normalFrame, false);
        ASSERT_EQ(display.frame(window->winId()), normalFrame) << "run " << run;
        EXPECT_EQ(window->geometry(), kFirst) << "run " << run;
        window.reset();
    }
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Endings, PlacementX11Test,
                         testing::Values(X11Case{"Normal", Ending::Normal, false},
                                         X11Case{"Maximised", Ending::Maximised, true},
                                         X11Case{"MaximisedByTheUser", Ending::MaximisedByTheUser,
                                                 true},
                                         X11Case{"MinimisedOpensNormal", Ending::Minimised, false}),
                         test::byName);

/// Starts openbox on the display and waits until it manages it; sets gSkipReason otherwise.
/// Returns the window manager's process, if it was started.
std::optional<test::ChildProcess> startWindowManager() {
    Display display;
    if (!display.connected()) {
        gSkipReason = "needs an X server";
        return std::nullopt;
    }
    const QString program = QStandardPaths::findExecutable("openbox");
    if (program.isEmpty()) {
        gSkipReason = "openbox is not installed";
        return std::nullopt;
    }
    auto openbox = test::ChildProcess::run({program.toStdString(), "--sm-disable"}, false);
    if (openbox.pid() <= 0) {
        gSkipReason = "openbox could not be started";
        return std::nullopt;
    }
    if (display.waitForWindowManager())
        gSkipReason.clear();
    else
        gSkipReason = "openbox did not take over the display";
    return openbox;
}

}  // namespace
}  // namespace muralto::ui

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    auto openbox = muralto::ui::startWindowManager();
    // Without a display (listing the tests), the tests skip on the offscreen platform.
    qputenv("QT_QPA_PLATFORM", openbox ? "xcb" : "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (openbox)
        openbox->stop(SIGTERM);
    return result;
}
