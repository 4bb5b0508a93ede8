#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace muralto::bench {

/// Starts argv[0] (searched in PATH) with argv and the current environment. Its standard output
/// and error are appended to outputPath ("/dev/null" discards them), or stay this process's
/// when outputPath is empty. Returns the process id, or -1 with error set.
pid_t spawnProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                   std::string* error);

/// Whether the process has ended; reaps it, setting *status, when it has.
bool processEnded(pid_t pid, int* status);

/// Ends the process and reaps it: asks first (SIGTERM), forces it after five seconds.
void endProcess(pid_t pid);

/// What one run of a process cost.
struct ProcessCost {
    double wallMs = 0;  ///< from just before the start to the end of the process
    long maxRssKb = 0;  ///< the kernel's peak resident set of the process
    int exitCode = -1;  ///< its exit status; 128 + the signal when a signal ended it
    std::string error;  ///< why it could not be started; empty when it ran
};

/// Runs argv to its end, its output discarded, and measures it.
ProcessCost measureProcess(const std::vector<std::string>& argv);

}  // namespace muralto::bench
