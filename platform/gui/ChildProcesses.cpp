#include "platform/gui/ChildProcesses.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace muralto::platform {

namespace {

constexpr std::size_t kErrorTextKept = 1024;

bool isExecutableFile(const std::string& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(file.c_str(), X_OK) == 0;
}

/// Reads what the child wrote to its standard error so far, keeping the end.
void drain(int fd, std::string& kept) {
    char buffer[512];
    while (fd >= 0) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        kept.append(buffer, static_cast<std::size_t>(got));
        if (kept.size() > kErrorTextKept)
            kept.erase(0, kept.size() - kErrorTextKept);
    }
}

std::string lastLine(const std::string& text) {
    const auto end = text.find_last_not_of(" \t\r\n");
    if (end == std::string::npos)
        return {};
    const auto start = text.find_last_of("\r\n", end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start + 1));
}

/// How a child ended; an exit says why in the child's last line of error output, where a
/// program that gives up writes its reason.
std::string describe(int status, const std::string& errorText) {
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    const std::string how = "exit status " + std::to_string(WEXITSTATUS(status));
    const std::string line = lastLine(errorText);
    return line.empty() ? how : how + ": " + line;
}

/// In the forked child, before exec: only async-signal-safe calls. statusFd (close-on-exec)
/// carries errno back when the exec fails.
[[noreturn]] void becomeChild(pid_t parent, int nullFd, int errorFd, int statusFd, const char* file,
                              char* const* argv) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(127);  // the forking thread is gone already
    sigset_t none;
    sigemptyset(&none);
    ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (const int signalNumber : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        ::sigaction(signalNumber, &defaults, nullptr);
    ::dup2(nullFd, 0);
    ::dup2(nullFd, 1);
    ::dup2(errorFd, 2);
    ::dup2(statusFd, 3);
    ::fcntl(3, F_SETFD, FD_CLOEXEC);
    ::close_range(4, ~0U, 0);
    ::execve(file, argv, environ);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(3, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

std::string findInPath(const std::string& program, const std::string& pathVariable) {
    if (program.find('/') != std::string::npos)
        return isExecutableFile(program) ? program : std::string();
    std::size_t start = 0;
    while (start <= pathVariable.size()) {
        const std::size_t end = std::min(pathVariable.find(':', start), pathVariable.size());
        const std::string folder = pathVariable.substr(start, end - start);
        if (!folder.empty() && isExecutableFile(folder + "/" + program))
            return folder + "/" + program;
        start = end + 1;
    }
    return {};
}

ForkedChildProcesses::~ForkedChildProcesses() {
    std::vector<int> ids;
    {
        const std::lock_guard lock(mutex_);
        for (const auto& [id, child] : children_)
            ids.push_back(id);
    }
    for (const int id : ids)
        stop(id);
    {
        const std::lock_guard lock(taskMutex_);
        quitting_ = true;
    }
    taskChanged_.notify_all();
    if (forking_.joinable())
        forking_.join();
}

std::string ForkedChildProcesses::find(const std::string& program) const {
    const char* path = std::getenv("PATH");
    return findInPath(program, path ? path : "");
}

void ForkedChildProcesses::serve() {
    std::unique_lock lock(taskMutex_);
    while (true) {
        taskChanged_.wait(lock, [this] { return task_ || quitting_; });
        if (quitting_)
            return;
        (*task_)();
        task_ = nullptr;
        taskChanged_.notify_all();
    }
}

void ForkedChildProcesses::onForkingThread(const std::function<void()>& task) {
    std::unique_lock lock(taskMutex_);
    if (!forking_.joinable())
        forking_ = std::thread([this] { serve(); });
    taskChanged_.wait(lock, [this] { return !task_; });
    task_ = &task;
    taskChanged_.notify_all();
    taskChanged_.wait(lock, [this, &task] { return task_ != &task; });
}

Result<int> ForkedChildProcesses::start(const std::string& file,
                                        const std::vector<std::string>& arguments) {
    std::vector<std::string> words{file};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    Launched launched;
    onForkingThread([&] {
        int error[2], status[2];
        const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (nullFd < 0 || ::pipe2(error, O_CLOEXEC) != 0) {
            launched.failure = std::strerror(errno);
            return;
        }
        // The child never waits on a full pipe: what does not fit is dropped.
        ::fcntl(error[1], F_SETFL, O_NONBLOCK);
        ::fcntl(error[0], F_SETFL, O_NONBLOCK);
        if (::pipe2(status, O_CLOEXEC) != 0) {
            launched.failure = std::strerror(errno);
            ::close(error[0]), ::close(error[1]), ::close(nullFd);
            return;
        }
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0)
            becomeChild(parent, nullFd, error[1], status[1], file.c_str(), argv.data());
        ::close(error[1]), ::close(status[1]), ::close(nullFd);
        int execError = 0;
        ssize_t got = -1;
        while (pid > 0 && (got = ::read(status[0], &execError, sizeof execError)) < 0 &&
               errno == EINTR) {
        }
        ::close(status[0]);
        if (pid < 0 || got > 0) {
            launched.failure = std::strerror(pid < 0 ? errno : execError);
            ::close(error[0]);
            if (pid > 0)
                ::waitpid(pid, nullptr, 0);
            return;
        }
        launched.pid = pid;
        launched.errorOutput = error[0];
    });
    if (launched.pid < 0)
        return Failure{file + " could not be started (" + launched.failure + ")"};
    const std::lock_guard lock(mutex_);
    const int id = nextId_++;
    children_[id] = {launched.pid, launched.errorOutput, {}, std::nullopt};
    return id;
}

std::optional<std::string> ForkedChildProcesses::ended(int id) {
    const std::lock_guard lock(mutex_);
    const auto found = children_.find(id);
    if (found == children_.end())
        return "stopped";
    Child& child = found->second;
    if (child.end)
        return child.end;
    drain(child.errorOutput, child.errorText);
    int status = 0;
    const pid_t reaped = ::waitpid(child.pid, &status, WNOHANG);
    if (reaped == 0)
        return std::nullopt;
    drain(child.errorOutput, child.errorText);
    child.end = reaped < 0 ? std::string("ended") : describe(status, child.errorText);
    return child.end;
}

void ForkedChildProcesses::stop(int id) {
    if (!ended(id)) {
        pid_t pid = -1;
        {
            const std::lock_guard lock(mutex_);
            pid = children_.at(id).pid;
        }
        ::kill(pid, SIGTERM);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(stopDeadlineMs_);
        while (!ended(id) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!ended(id)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    const std::lock_guard lock(mutex_);
    if (const auto found = children_.find(id); found != children_.end()) {
        if (found->second.errorOutput >= 0)
            ::close(found->second.errorOutput);
        children_.erase(found);
    }
}

}  // namespace muralto::platform
