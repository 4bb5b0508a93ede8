#include "platform/DeadlineRunner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <latch>

#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

using namespace std::chrono_literals;

TEST(DeadlineRunnerTest, GivesTheAnswerThatComesInTime) {
    DeadlineRunner runner(5s);
    EXPECT_EQ(runner.run<int>("/", [] { return 42; }), 42);
    EXPECT_EQ(runner.run<std::string>("/", [] { return std::string("again"); }), "again")
        << "a key is free once its call has answered";
}

TEST(DeadlineRunnerTest, AnOpenThatBlocksInTheKernelIsNotReady) {
    test::TempDir dir;
    const std::string fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    DeadlineRunner runner(50ms);
    // Opening a FIFO for reading waits in the kernel until a writer comes.
    const auto opened = runner.run<bool>("/mnt", [fifo] {
        const int reader = ::open(fifo.c_str(), O_RDONLY);
        if (reader >= 0)
            ::close(reader);
        return reader >= 0;
    });
    EXPECT_FALSE(opened);
    EXPECT_TRUE(runner.busy("/mnt"));
    // A writer lets the stuck open finish.
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    EXPECT_TRUE(muralto::test::eventually([&] { return !runner.busy("/mnt"); }));
    ::close(writer);
}

TEST(DeadlineRunnerTest, AKeyWhoseCallHangsFailsAtOnceWithoutANewThreadOthersStillRun) {
    DeadlineRunner runner(50ms);
    std::latch release(1);
    std::atomic<int> started = 0;
    const auto hanging = [&] {
        ++started;
        release.wait();
        return true;
    };
    EXPECT_FALSE(runner.run<bool>("/net", hanging));
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_FALSE(runner.run<bool>("/net", hanging)) << attempt;
    EXPECT_EQ(started.load(), 1) << "the stuck key is not asked again";
    EXPECT_EQ(runner.run<bool>("/home", [] { return true; }), true);
    release.count_down();
    ASSERT_TRUE(muralto::test::eventually([&] { return !runner.busy("/net"); }));
    EXPECT_EQ(runner.run<bool>("/net", [] { return true; }), true)
        << "the mount is asked again once it answered";
}

TEST(DeadlineRunnerTest, AWorkerLeftBehindOutlivesItsRunner) {
    std::latch release(1);
    std::atomic<bool> finished = false;
    {
        DeadlineRunner runner(10ms);
        EXPECT_FALSE(runner.run<int>("/net", [&] {
            release.wait();
            finished = true;
            return 1;
        }));
    }
    release.count_down();
    EXPECT_TRUE(muralto::test::eventually([&] { return finished.load(); }));
}

}  // namespace
}  // namespace muralto::platform
