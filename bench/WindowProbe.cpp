#include "bench/WindowProbe.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "bench/ProcessMeter.h"
#include "bench/RootEvents.h"
#include "platform/xcb/Xcb.h"

namespace muralto::bench {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// Windows this small are no program's main window (a client leader, a tray icon).
constexpr int kSmallestSide = 64;

/// Watches the root's children being mapped and reads their pixels.
class ScreenWatcher {
public:
    std::string open() { return events_.open("_NET_WM_PID", XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY); }
    void discardEvents() { events_.discardEvents(); }

    /// A window of the process mapped since the last call, of a main window's size; waits at
    /// most timeoutMs for events. XCB_WINDOW_NONE when there is none yet.
    xcb_window_t mappedWindowOf(pid_t pid, int timeoutMs) {
        while (const auto event = xcb::own(xcb_poll_for_event(connection()))) {
            if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY)
                continue;
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
            if (belongsTo(map->window, pid) && large(map->window))
                return map->window;
        }
        events_.waitForEvents(timeoutMs);
        return XCB_WINDOW_NONE;
    }

    /// Whether a pixel at the window's centre or near its top-left corner is not black.
    bool painted(xcb_window_t window) {
        const auto geometry = xcb::reply(connection(), xcb_get_geometry(connection(), window),
                                         xcb_get_geometry_reply);
        if (!geometry)
            return false;
        return lit(window, geometry->width / 2, geometry->height / 2) || lit(window, 4, 4);
    }

private:
    xcb_connection_t* connection() const { return events_.connection(); }

    bool belongsTo(xcb_window_t window, pid_t pid) {
        const xcb::Property property =
            xcb::getProperty(connection(), window, events_.atom(), XCB_ATOM_CARDINAL, 1);
        const auto value = property.single32(XCB_ATOM_CARDINAL);
        return value && pid_t(*value) == pid;
    }

    bool large(xcb_window_t window) {
        const auto geometry = xcb::reply(connection(), xcb_get_geometry(connection(), window),
                                         xcb_get_geometry_reply);
        return geometry && geometry->width >= kSmallestSide && geometry->height >= kSmallestSide;
    }

    /// Whether the pixel has any colour; false when it cannot be read (not viewable yet).
    bool lit(xcb_window_t window, int x, int y) {
        const auto image =
            xcb::reply(connection(),
                       xcb_get_image(connection(), XCB_IMAGE_FORMAT_Z_PIXMAP, window,
                                     std::int16_t(x), std::int16_t(y), 1, 1, 0x00FFFFFF),
                       xcb_get_image_reply);
        if (!image)
            return false;
        const std::uint8_t* data = xcb_get_image_data(image.get());
        const int length = xcb_get_image_data_length(image.get());
        for (int i = 0; i < length && i < 3; ++i) {
            if (data[i] != 0)
                return true;
        }
        return false;
    }

    RootEvents events_;
};

struct Start {
    pid_t pid = -1;
    double mappedMs = 0;
    double paintedMs = 0;
    std::string error;
};

/// Waits for the process's window and its paint; says what went wrong otherwise.
void watchStart(ScreenWatcher& watcher, Start& start, Clock::time_point begin,
                const WindowOptions& options) {
    const auto deadline = begin + std::chrono::seconds(options.timeoutSeconds);
    xcb_window_t window = XCB_WINDOW_NONE;
    int status = 0;
    while (window == XCB_WINDOW_NONE || !watcher.painted(window)) {
        if (window == XCB_WINDOW_NONE) {
            window = watcher.mappedWindowOf(start.pid, 2);
            start.mappedMs = millisecondsSince(begin);
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        if (processEnded(start.pid, &status)) {
            start.error = "the program ended (exit status " + std::to_string(status) +
                          ") before its window was painted";
            start.pid = -1;
            return;
        }
        if (Clock::now() > deadline) {
            start.error = std::string(window ? "no paint" : "no window") + " within " +
                          std::to_string(options.timeoutSeconds) + " s";
            return;
        }
    }
    start.paintedMs = millisecondsSince(begin);
}

}  // namespace

WindowReport probeWindowStarts(const WindowOptions& options) {
    WindowReport report;
    ScreenWatcher watcher;
    if (report.error = watcher.open(); !report.error.empty())
        return report;
    for (int i = 0; i < options.warmupStarts + options.starts; ++i) {
        watcher.discardEvents();
        Start start;
        const auto begin = Clock::now();
        start.pid = spawnProcess(options.command, options.logPath, &start.error);
        if (start.pid >= 0)
            watchStart(watcher, start, begin, options);
        if (start.pid >= 0)
            endProcess(start.pid);
        if (!start.error.empty()) {
            report.error = start.error;
            return report;
        }
        if (i >= options.warmupStarts) {
            report.mappedMs.push_back(start.mappedMs);
            report.paintedMs.push_back(start.paintedMs);
        }
    }
    return report;
}

}  // namespace muralto::bench
