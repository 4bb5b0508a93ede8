#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/Result.h"

namespace muralto::platform {

/// The file of a program in the folders a PATH value lists (colon-separated, empty entries
/// skipped): the first executable regular file of that name. A program named with a slash is
/// taken as it is. Empty when there is none.
std::string findInPath(const std::string& program, const std::string& pathVariable);

/// Programs that run beside this one until they are told to end, or end on their own.
class ChildProcesses {
public:
    virtual ~ChildProcesses() = default;
    /// The program's file, looked up in this process's PATH; empty when it is not there.
    virtual std::string find(const std::string& program) const = 0;
    /// Starts the program file with arguments (no shell); the child's id.
    virtual Result<int> start(const std::string& file,
                              const std::vector<std::string>& arguments) = 0;
    /// How the child ended ("exit status 1: <its last line of error output>", "killed by
    /// signal 9"); nothing while it runs.
    virtual std::optional<std::string> ended(int id) = 0;
    /// Ends the child (if it still runs) and forgets it.
    virtual void stop(int id) = 0;
};

/// Forks and runs children that end with this process, however it ends: each gets SIGTERM
/// when the thread that forked it ends (PR_SET_PDEATHSIG), and that thread is one of this
/// object's own, which lives until the object goes (then every child still running is
/// stopped) or the process dies (an exit without destructors, a crash, SIGKILL). A child starts
/// with no signal blocked or ignored, standard input and output on /dev/null and only its
/// standard error open to this process, which keeps its end.
class ForkedChildProcesses : public ChildProcesses {
public:
    /// stopDeadline: how long a child has to end on SIGTERM before SIGKILL.
    explicit ForkedChildProcesses(int stopDeadlineMs = 2000) : stopDeadlineMs_(stopDeadlineMs) {}
    ~ForkedChildProcesses() override;
    ForkedChildProcesses(const ForkedChildProcesses&) = delete;
    ForkedChildProcesses& operator=(const ForkedChildProcesses&) = delete;

    std::string find(const std::string& program) const override;
    Result<int> start(const std::string& file, const std::vector<std::string>& arguments) override;
    std::optional<std::string> ended(int id) override;
    void stop(int id) override;

private:
    struct Child {
        pid_t pid = -1;
        int errorOutput = -1;  ///< the read end of the child's standard error
        std::string errorText;
        std::optional<std::string> end;
    };
    struct Launched {
        pid_t pid = -1;
        int errorOutput = -1;
        std::string failure;
    };

    /// Runs task on the forking thread (started at the first call) and waits for it.
    void onForkingThread(const std::function<void()>& task);
    void serve();

    int stopDeadlineMs_;
    std::mutex mutex_;  ///< guards children_ and nextId_
    std::map<int, Child> children_;
    int nextId_ = 1;

    std::mutex taskMutex_;  ///< guards the fields below
    std::condition_variable taskChanged_;
    const std::function<void()>* task_ = nullptr;
    bool quitting_ = false;
    std::thread forking_;
};

}  // namespace muralto::platform
