#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/gui/ChildProcesses.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

using namespace std::chrono_literals;

/// Whether the process is gone (or a zombie nobody reaped yet).
bool gone(pid_t pid) {
    if (::kill(pid, 0) != 0)
        return true;
    const std::string stat = test::readFile("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] == 'Z';
}

/// The pid a child wrote to the file once it is there.
pid_t pidIn(const std::filesystem::path& file) {
    std::string text;
    EXPECT_TRUE(test::eventually([&] {
        text = test::readFile(file);
        return !text.empty() && text.back() == '\n';
    }));
    return text.empty() ? -1 : std::stoi(text);
}

/// A shell that writes its pid to file, then sleeps as that pid.
std::vector<std::string> sleeperArguments(const std::filesystem::path& file) {
    return {"-c", "echo $$ > '" + file.string() + "'; exec sleep 30"};
}

// How children end is told, an exit with its last line of error output; one that does not start
// says why at once.
TEST(ForkedChildProcesses, TellsHowAChildEnded) {
    ForkedChildProcesses children;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-c", "echo started >&2; printf 'no layer shell\\n\\n' >&2; exit 3"},
         "exit status 3: no layer shell"},
        {{"-c", "exit 0"}, "exit status 0"},
        {{"-c", "echo dying >&2; kill -9 $$"}, "killed by signal 9"},
    };
    for (const auto& [arguments, expected] : cases) {
        const Result<int> id = children.start("/bin/sh", arguments);
        ASSERT_TRUE(id) << id.error();
        std::optional<std::string> end;
        EXPECT_TRUE(test::eventually([&] { return (end = children.ended(*id)).has_value(); }));
        EXPECT_EQ(end.value_or("running"), expected);
        children.stop(*id);
    }
    const Result<int> missing = children.start("/nonexistent/swaybg", {});
    EXPECT_EQ(missing.error(),
              "/nonexistent/swaybg could not be started (No such file or directory)");
}

// A child started while this process blocks SIGTERM still ends on it (it starts with no signal
// blocked): stop does not have to wait for its deadline and SIGKILL.
TEST(ForkedChildProcesses, StopEndsAndReapsTheChild) {
    test::TempDir dir;
    sigset_t term, before;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &term, &before);
    ForkedChildProcesses children(20000);
    const Result<int> id = children.start("/bin/sh", sleeperArguments(dir.path() / "pid"));
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ASSERT_TRUE(id) << id.error();
    const pid_t pid = pidIn(dir.path() / "pid");
    EXPECT_FALSE(children.ended(*id));
    const auto start = std::chrono::steady_clock::now();
    children.stop(*id);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_NE(::kill(pid, 0), 0) << "not reaped";
}

// Children end with this process however it ends: here it is killed, so no destructor runs.
TEST(ForkedChildProcesses, ChildrenEndWhenTheParentIsKilled) {
    test::TempDir dir;
    const auto file = dir.path() / "pid";
    const pid_t parent = ::fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        auto* children = new ForkedChildProcesses;  // never destroyed
        (void)children->start("/bin/sh", sleeperArguments(file));
        ::pause();
        ::_exit(0);
    }
    const pid_t child = pidIn(file);
    ASSERT_GT(child, 0);
    EXPECT_FALSE(gone(child));
    ::kill(parent, SIGKILL);
    ::waitpid(parent, nullptr, 0);
    EXPECT_TRUE(test::eventually([&] { return gone(child); })) << "pid " << child;
    if (!gone(child))
        ::kill(child, SIGKILL);
}

}  // namespace
}  // namespace muralto::platform
