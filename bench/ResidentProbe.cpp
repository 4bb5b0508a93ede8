#include "bench/ResidentProbe.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
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

/// Watches the root window for a new wallpaper pixmap.
class RootWatcher {
public:
    std::string open() { return events_.open("_XROOTPMAP_ID", XCB_EVENT_MASK_PROPERTY_CHANGE); }
    void discardEvents() { events_.discardEvents(); }

    /// Whether a property event says the wallpaper pixmap was set; waits at most timeoutMs.
    bool wallpaperSet(int timeoutMs) {
        bool set = false;
        while (const auto event = xcb::own(xcb_poll_for_event(connection()))) {
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
                const auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
                set = set || (property->atom == events_.atom() &&
                              property->state == XCB_PROPERTY_NEW_VALUE);
            }
        }
        if (!set)
            events_.waitForEvents(timeoutMs);
        return set;
    }

private:
    xcb_connection_t* connection() const { return events_.connection(); }

    RootEvents events_;
};

/// Starts the program and waits for its wallpaper; the time taken, or an error.
struct Start {
    pid_t pid = -1;
    double ms = 0;
    std::string error;
};

Start startUntilWallpaper(RootWatcher& watcher, const ResidentOptions& options) {
    Start start;
    watcher.discardEvents();
    const auto begin = Clock::now();
    start.pid = spawnProcess(options.command, options.logPath, &start.error);
    if (start.pid < 0)
        return start;
    const auto deadline = begin + std::chrono::seconds(options.timeoutSeconds);
    int status = 0;
    while (!watcher.wallpaperSet(2)) {
        if (processEnded(start.pid, &status)) {
            start.error = "the program ended (exit status " + std::to_string(status) +
                          ") before it set a wallpaper";
            start.pid = -1;
            return start;
        }
        if (Clock::now() > deadline) {
            start.error = "no wallpaper within " + std::to_string(options.timeoutSeconds) + " s";
            return start;
        }
    }
    start.ms = millisecondsSince(begin);
    return start;
}

/// A field of /proc/PID/status in kB ("VmRSS"); -1 when missing.
long statusKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":"))
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    }
    return -1;
}

/// User and system CPU time of the process and its waited-for children, in clock ticks.
long cpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses: fields count from the last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long ticks = 0;
    for (int index = 3; fields >> field && index <= 17; ++index) {
        if (index >= 14)
            ticks += std::strtol(field.c_str(), nullptr, 10);  // utime stime cutime cstime
    }
    return ticks;
}

/// Whether the program is gone; reaps it and forgets its id when it is.
bool gone(Start& start) {
    int status = 0;
    if (!processEnded(start.pid, &status))
        return false;
    start.pid = -1;
    return true;
}

/// Reads memory and CPU share of the running program while it idles.
std::string measureIdle(Start& start, const ResidentOptions& options, ResidentReport& report) {
    const char* kEnded = "the program ended while idling";
    std::this_thread::sleep_for(std::chrono::seconds(options.settleSeconds));
    const long rssKb = statusKb(start.pid, "VmRSS");
    const long ticksBefore = cpuTicks(start.pid);
    if (gone(start) || rssKb < 0 || ticksBefore < 0)
        return kEnded;
    const auto begin = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(options.idleSeconds));
    const long ticksAfter = cpuTicks(start.pid);
    const double seconds = millisecondsSince(begin) / 1000.0;
    if (gone(start) || ticksAfter < 0)
        return kEnded;
    report.idleRssMb = double(rssKb) / 1024.0;
    report.idleCpuPct =
        double(ticksAfter - ticksBefore) / double(::sysconf(_SC_CLK_TCK)) / seconds * 100.0;
    return {};
}

}  // namespace

ResidentReport probeResident(const ResidentOptions& options) {
    ResidentReport report;
    RootWatcher watcher;
    if (report.error = watcher.open(); !report.error.empty())
        return report;
    const int total = options.warmupStarts + options.starts;
    for (int i = 0; i <= total; ++i) {
        Start start = startUntilWallpaper(watcher, options);
        if (start.error.empty() && i >= options.warmupStarts && i < total)
            report.startMs.push_back(start.ms);
        if (start.error.empty() && i == total)
            start.error = measureIdle(start, options, report);
        if (start.pid >= 0)
            endProcess(start.pid);
        if (!start.error.empty()) {
            report.error = start.error;
            return report;
        }
    }
    return report;
}

}  // namespace muralto::bench
