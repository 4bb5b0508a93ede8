#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

namespace muralto::test {

namespace {

using Clock = std::chrono::steady_clock;

/// Milliseconds left until deadline, for poll().
int remaining(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
};

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

ChildProcess ChildProcess::start(const std::function<void()>& inChild, bool captureOutput) {
    ChildProcess child;
    Pipe input, output;
    child.pid_ = ::fork();
    if (child.pid_ == 0) {
        ::dup2(input.read, STDIN_FILENO);
        if (captureOutput)
            ::dup2(output.write, STDOUT_FILENO);
        inChild();
    }
    ::close(input.read);
    ::close(output.write);
    child.input_ = input.write;
    child.output_ = output.read;
    return child;
}

ChildProcess ChildProcess::run(const std::vector<std::string>& command, bool captureOutput) {
    // Closed by the exec: until then the child holds copies of every file the test has open.
    Pipe started;
    ChildProcess child = start(
        [&] {
            std::vector<char*> argv;
            for (const std::string& word : command)
                argv.push_back(const_cast<char*>(word.c_str()));
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        },
        captureOutput);
    ::close(started.write);
    char ignored;
    while (child.pid_ > 0 && ::read(started.read, &ignored, 1) < 0 && errno == EINTR)
        continue;
    ::close(started.read);
    return child;
}

ChildProcess ChildProcess::fork(const std::function<int()>& body) {
    return start(
        [&] {
            // Keep no other child's pipe open, or that child would never see its end.
            for (int fd = 3; fd < 1024; ++fd)
                ::close(fd);
            ::_exit(body());
        },
        true);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      input_(std::exchange(other.input_, -1)),
      output_(std::exchange(other.output_, -1)),
      status_(other.status_),
      reaped_(other.reaped_) {}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    closeFd(input_);
    closeFd(output_);
}

std::string ChildProcess::read(std::chrono::milliseconds limit, bool line) {
    const auto deadline = Clock::now() + limit;
    std::string text;
    pollfd readable{output_, POLLIN, 0};
    while (output_ >= 0 && ::poll(&readable, 1, remaining(deadline)) > 0) {
        // A line is read a byte at a time, so nothing after it is taken from the pipe.
        char buffer[4096];
        const ssize_t got = ::read(output_, buffer, line ? 1 : sizeof buffer);
        if (got <= 0)
            return line ? std::string() : text;
        if (line && buffer[0] == '\n')
            return text;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return line ? std::string() : text;
}

void ChildProcess::closeInput() {
    closeFd(input_);
}

bool ChildProcess::reap(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (pid_ > 0) {
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
            pid_ = -1;
            reaped_ = true;
        } else if (Clock::now() > deadline) {
            return false;
        } else {
            ::poll(nullptr, 0, 10);
        }
    }
    return reaped_;
}

int ChildProcess::exitCode(std::chrono::milliseconds limit) {
    return reap(limit) && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

void ChildProcess::stop(int signal, std::chrono::milliseconds limit) {
    if (pid_ <= 0)
        return;
    ::kill(pid_, signal);
    if (!reap(limit)) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

}  // namespace muralto::test
