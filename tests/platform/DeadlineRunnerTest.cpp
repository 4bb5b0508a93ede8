#include "platform/DeadlineRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>

#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

using namespace std::chrono_literals;

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
