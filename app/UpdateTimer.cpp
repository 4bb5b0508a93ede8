#include "app/UpdateTimer.h"

#include <limits>

namespace muralto::app {

UpdateTimer::UpdateTimer(std::function<std::int32_t()> delay, std::function<void()> update)
    : delay_(std::move(delay)), update_(std::move(update)) {
    Timer1.setInterval(1000);
    Timer1.setTimerType(Qt::CoarseTimer);
    QObject::connect(&Timer1, &QTimer::timeout, [this] { TimerTick(); });
}

void UpdateTimer::StartTimer() {
    gbTimerStarted = true;
    if (!Timer1.isActive())
        Timer1.start();
}

void UpdateTimer::StopTimer() {
    Timer1.stop();
}

void UpdateTimer::TimerTick() {
    const std::int32_t limit = delay_();
    if (bInTick)
        return;
    bInTick = true;
    if (gbTimerStarted) {
        // Counting stops at the largest count rather than overflowing after 68 years.
        if (lTicks < std::numeric_limits<std::int32_t>::max())
            ++lTicks;
        if (lTicks >= limit) {
            update_();
            lTicks = 0;
        }
        StartTimer();
    }
    bInTick = false;
}

}  // namespace muralto::app
