#pragma once

#include <string>
#include <vector>

namespace muralto::bench {

/// How the resident program is measured.
struct ResidentOptions {
    std::vector<std::string> command;   ///< the program and its arguments
    int warmupStarts = 1;               ///< starts before the measured ones (caches, fonts)
    int starts = 5;                     ///< measured starts, each ended once the wallpaper is up
    int settleSeconds = 3;              ///< after the wallpaper, before memory and CPU are read
    int idleSeconds = 60;               ///< the CPU share is measured over this long
    int timeoutSeconds = 20;            ///< longest wait for a wallpaper
    std::string logPath = "/dev/null";  ///< where the program's output goes
};

/// What the resident program cost.
struct ResidentReport {
    std::vector<double> startMs;  ///< per measured start: process start to wallpaper set
    double idleRssMb = 0;         ///< resident set after the settle time
    double idleCpuPct = 0;        ///< share of one core used while idling
    std::string error;            ///< empty when every step succeeded
};

/// Starts the program repeatedly on the X display of $DISPLAY and times each start until the
/// root window's _XROOTPMAP_ID is set (watched through property events, so a new wallpaper
/// with the same pixmap id still counts); then starts it once more and lets it idle. Every
/// process started is ended again.
ResidentReport probeResident(const ResidentOptions& options);

}  // namespace muralto::bench
