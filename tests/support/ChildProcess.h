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
    /// Runs command, looked up on PATH, with the files a program started by the code under test
    /// inherits; returns once it runs (else it ends with 127).
    static ChildProcess run(const std::vector<std::string>& command, bool captureOutput = true);
    /// Runs body in a copy of this process, with no file open but its pipes; it returns the code.
    static ChildProcess fork(const std::function<int()>& body);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ~ChildProcess();

    /// -1 when the process could not be started or was reaped.
    pid_t pid() const { return pid_; }

    /// The next line of the process's output, without its end; empty when none comes in time.
    std::string readLine(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return read(limit, true);
    }
    /// The whole output, up to its end or until the time is up.
    std::string readAll(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        return read(limit, false);
    }
    void closeInput();

    /// The exit code once the process ended by itself in time; else -1.
    int exitCode(std::chrono::milliseconds limit = std::chrono::seconds(10));
    /// Sends signal and reaps the process; SIGKILL follows when it is not gone in time.
    void stop(int signal, std::chrono::milliseconds limit = std::chrono::seconds(5));

private:
    ChildProcess() = default;
    /// Forks with the pipes on standard input and output; the child runs inChild, which ends it.
    static ChildProcess start(const std::function<void()>& inChild, bool captureOutput);
    std::string read(std::chrono::milliseconds limit, bool line);
    /// Waits until the process ends or the time is up; whether it has been reaped.
    bool reap(std::chrono::milliseconds limit);

    pid_t pid_ = -1;
    int input_ = -1, output_ = -1, status_ = 0;
    bool reaped_ = false;
};

}  // namespace muralto::test
