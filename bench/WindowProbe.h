#pragma once

#include <string>
#include <vector>

namespace muralto::bench {

/// How a program's first window is timed.
struct WindowOptions {
    std::vector<std::string> command;   ///< the program and its arguments
    int warmupStarts = 1;               ///< starts before the measured ones (caches, fonts)
    int starts = 5;                     ///< measured starts
    int timeoutSeconds = 20;            ///< longest wait for the painted window
    std::string logPath = "/dev/null";  ///< where the program's output goes
};

/// What the starts took, in milliseconds from the process's start.
struct WindowReport {
    std::vector<double> mappedMs;   ///< per measured start: to the window's map
    std::vector<double> paintedMs;  ///< per measured start: to its paint
    std::string error;              ///< empty when every start succeeded
};

/// Starts the program repeatedly on the X display of $DISPLAY, whose root must be black
/// (Xvfb -br), and times each start until a top-level window whose _NET_WM_PID is the
/// program's is mapped (watched through the root's structure events) and until it is painted:
/// until a pixel at its centre or near its top-left corner is no longer black. The saver's
/// black window counts as painted only once its frame is drawn. Every process started is ended
/// again.
WindowReport probeWindowStarts(const WindowOptions& options);

}  // namespace muralto::bench
