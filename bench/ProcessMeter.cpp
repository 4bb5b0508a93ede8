#include "bench/ProcessMeter.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace muralto::bench {

namespace {

/// The file actions that send a child's output to a file.
class OutputActions {
public:
    explicit OutputActions(const std::string& path) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, 1, path.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions_, 1, 2);
    }
    ~OutputActions() { posix_spawn_file_actions_destroy(&actions_); }
    OutputActions(const OutputActions&) = delete;
    OutputActions& operator=(const OutputActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

int exitCodeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace

pid_t spawnProcess(const std::vector<std::string>& argv, const std::string& outputPath,
                   std::string* error) {
    if (argv.empty()) {
        *error = "no command";
        return -1;
    }
    std::vector<char*> arguments;
    for (const std::string& argument : argv)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    const OutputActions actions(outputPath);
    pid_t pid = -1;
    const int failed =
        ::posix_spawnp(&pid, arguments[0], outputPath.empty() ? nullptr : actions.get(), nullptr,
                       arguments.data(), environ);
    if (failed != 0) {
        *error = "cannot start '" + argv[0] + "': " + std::strerror(failed);
        return -1;
    }
    return pid;
}

ProcessCost measureProcess(const std::vector<std::string>& argv) {
    ProcessCost cost;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = spawnProcess(argv, "/dev/null", &cost.error);
    if (pid < 0)
        return cost;
    int status = 0;
    struct rusage usage {};
    pid_t ended = -1;
    do {
        ended = ::wait4(pid, &status, 0, &usage);
    } while (ended < 0 && errno == EINTR);
    const auto end = std::chrono::steady_clock::now();
    if (ended != pid) {
        cost.error = std::string("cannot wait for '") + argv[0] + "': " + std::strerror(errno);
        return cost;
    }
    cost.wallMs = std::chrono::duration<double, std::milli>(end - start).count();
    cost.maxRssKb = usage.ru_maxrss;
    cost.exitCode = exitCodeOf(status);
    return cost;
}

bool processEnded(pid_t pid, int* status) {
    return ::waitpid(pid, status, WNOHANG) == pid;
}

void endProcess(pid_t pid) {
    int status = 0;
    if (processEnded(pid, &status))
        return;
    ::kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (processEnded(pid, &status))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
}

}  // namespace muralto::bench
