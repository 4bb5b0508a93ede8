#include <gtest/gtest.h>

#include "app/UpdateTimer.h"

namespace muralto::app {
namespace {

/// Runs ticks one by one and records at which ticks an update ran.
struct TickRun {
    std::int32_t delay = 60;
    std::vector<int> updates;
    int tick = 0;
    std::function<void()> duringUpdate;
    UpdateTimer timer{[this] { return delay; },
                      [this] {
                          updates.push_back(tick);
                          if (duringUpdate)
                              duringUpdate();
                      }};

    void run(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            ++tick;
            timer.TimerTick();
        }
    }
};

TEST(UpdateTimerTest, CountsOneSecondTicksUpToTheDelay) {
    struct Case {
        std::int32_t delay;
        int ticks;
        std::vector<int> updates;
        bool started = true;  // nothing is counted before the timer is started
    };
    for (const Case& c : {Case{60, 180, {60, 120, 180}}, Case{3, 10, {3, 6, 9}},
                          Case{0, 3, {1, 2, 3}}, Case{1, 5, {}, false}}) {
        TickRun run;
        run.delay = c.delay;
        if (c.started)
            run.timer.StartTimer();
        run.run(c.ticks);
        EXPECT_EQ(run.updates, c.updates) << "delay " << c.delay;
        EXPECT_EQ(run.timer.gbTimerStarted, c.started);
    }
}

// A tick during an update (one showing a dialog, say) is dropped; a shorter delay counts at once.
TEST(UpdateTimerTest, ATickDuringAnUpdateIsDroppedAndANewDelayCountsAtTheNextTick) {
    TickRun run;
    run.delay = 2;
    run.duringUpdate = [&] { run.timer.TimerTick(); };
    run.timer.StartTimer();
    run.run(4);
    EXPECT_EQ(run.updates, (std::vector<int>{2, 4}));
    run.delay = 60;
    run.run(50);
    run.delay = 10;
    run.run(1);
    EXPECT_EQ(run.updates, (std::vector<int>{2, 4, 55}));
}

}  // namespace
}  // namespace muralto::app
