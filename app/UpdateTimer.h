#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

namespace muralto::app {

/// The one-second update timer and the work of each tick: it counts ticks and runs the update
/// once the delay in force (in seconds) has been counted. Long delays are reached by counting,
/// never by a longer interval, and a changed delay takes effect at the next tick.
class UpdateTimer {
public:
    /// delay gives the delay in force at each tick; update runs one image update.
    UpdateTimer(std::function<std::int32_t()> delay, std::function<void()> update);

    /// Sets gbTimerStarted and lets the timer tick.
    void StartTimer();
    /// Stops the ticks; gbTimerStarted stays as it is.
    void StopTimer();
    /// The work of one tick. A tick that arrives while an earlier one is still being handled
    /// (an update that shows a dialog, say) is dropped, not queued.
    void TimerTick();

    bool enabled() const { return Timer1.isActive(); }
    bool gbTimerStarted = false;

private:
    QTimer Timer1;
    std::function<std::int32_t()> delay_;
    std::function<void()> update_;
    bool bInTick = false;
    std::int32_t lTicks = 0;
};

}  // namespace muralto::app
