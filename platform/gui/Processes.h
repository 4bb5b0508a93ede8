#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui/Result.h"

namespace muralto::platform {

/// What became of one run of an external program.
struct ProcessResult {
    bool ran = false;         ///< the program started and ended on its own
    int exitCode = 0;         ///< its exit code, when it ran
    std::string output;       ///< what it wrote to standard output
    std::string errorOutput;  ///< what it wrote to standard error
    std::string failure;      ///< why it did not run or did not end, when ran is false
};

/// Runs external programs with an argument list; no shell ever sees the arguments.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    /// Runs program (looked up in PATH) with arguments and waits for it to end.
    virtual ProcessResult run(const std::string& program,
                              const std::vector<std::string>& arguments) = 0;
};

/// Runs programs with QProcess, giving each at most timeoutMs to end (then it is killed, and
/// the run counts as failed). The desktops' tools answer within a second when they work.
class QProcessRunner : public ProcessRunner {
public:
    static constexpr int kDefaultTimeoutMs = 10000;
    explicit QProcessRunner(int timeoutMs = kDefaultTimeoutMs) : timeoutMs_(timeoutMs) {}
    ProcessResult run(const std::string& program,
                      const std::vector<std::string>& arguments) override;

private:
    int timeoutMs_;
};

/// Runs a tool and checks that it succeeded (ran and exited with 0). Its standard output when
/// it did; else a reason that names the tool.
Result<std::string> runTool(ProcessRunner& runner, const std::string& program,
                            const std::vector<std::string>& arguments);

/// The command lines (program first) of the running processes that belong to this user.
class ProcessList {
public:
    virtual ~ProcessList() = default;
    virtual std::vector<std::vector<std::string>> commandLines() = 0;
};

/// Reads the command lines from /proc; processes of other users and kernel threads are left
/// out, and so is a process that ends while it is read. With a display given, only processes
/// whose environment names that DISPLAY count: a desktop manager of the user's other session
/// draws no desktop on this one.
class ProcProcessList : public ProcessList {
public:
    explicit ProcProcessList(std::string display, std::string procFolder = "/proc")
        : display_(std::move(display)), proc_(std::move(procFolder)) {}
    std::vector<std::vector<std::string>> commandLines() override;

private:
    bool onThisDisplay(const std::filesystem::path& process) const;

    std::string display_;
    std::string proc_;
};

}  // namespace muralto::platform
