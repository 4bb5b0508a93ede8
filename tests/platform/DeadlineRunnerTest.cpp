#include "platform/DeadlineRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>

#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

using namespace std::chrono_literals;

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
    EXPECT_EQ(runner.run<int>("/home", [] { return 42; }), 42);
    EXPECT_EQ(runner.run<int>("/home", [] { return 43; }), 43) << "a key is free once answered";
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
