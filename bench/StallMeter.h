#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace muralto::bench {

/// The largest gap between the timeouts of a 10 ms timer on the thread that makes it, counted
/// from the meter's start: a thread that is busy before its event loop runs shows it too.
class StallMeter {
public:
    static constexpr int kTickMs = 10;

    StallMeter() {
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, clock_.restart()); });
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.start(kTickMs);
        clock_.start();
    }
    /// The longest gap so far in milliseconds, the timer's own interval included; the time
    /// since the last timeout counts as a gap.
    qint64 longestGap() const { return std::max(longest_, clock_.elapsed()); }
    /// The longest gap beyond the timer's own interval.
    qint64 longestStall() const { return std::max<qint64>(0, longestGap() - kTickMs); }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

}  // namespace muralto::bench
