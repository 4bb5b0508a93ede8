#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace muralto::test {

/// A process that a test started, with its standard input and output on pipes. Every wait has a
/// deadline; a process still running when the object goes is killed and reaped.
class ChildProcess {
public:
    /// Runs command, its program looked up on PATH, keeping every other file it inherits as a
    /// program started by the code under test would; returns once the program runs (or could
    /// not be run: it then ends with 127). Without captureOutput its standard output stays
    /// the test's.
    static ChildProcess run(const std::vector<std::string>& command, bool captureOutput = true);
    /// Runs body in a copy of this process, with no file open but its pipes; what body returns
    /// is the exit code.
    static ChildProcess fork(const std::function<int()>& body);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ~ChildProcess();

    /// The process id; -1 when the process could not be started or was reaped.
    pid_t pid() const { return pid_; }

    /// The next line of the process's output, without its end; empty when none comes in time.
    std::string readLine(std::chrono::milliseconds limit = std::chrono::seconds(10));
    /// The whole output, up to its end or until the time is up.
    std::string readAll(std::chrono::milliseconds limit = std::chrono::seconds(10));
    /// Closes the process's standard input: it reads the end.
    void closeInput();

    /// The exit code once the process ended by itself in time; -1 when it ended by a signal
    /// or still runs.
    int exitCode(std::chrono::milliseconds limit = std::chrono::seconds(10));
    /// Sends signal and reaps the process; SIGKILL follows when it is not gone in time.
    void stop(int signal, std::chrono::milliseconds limit = std::chrono::seconds(5));

private:
    ChildProcess() = default;
    /// Waits until the process ends or the time is up; whether it has been reaped.
    bool reap(std::chrono::milliseconds limit);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int status_ = 0;
    bool reaped_ = false;
};

}  // namespace muralto::test
