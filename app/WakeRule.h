#pragma once

#include <cstdint>

namespace muralto::app {

/// When a mouse movement over the running saver means the user is back. The first movement
/// after the window is shown is only recorded; a later one wakes the saver once it lies more
/// than 4 pixels from that recorded position along either axis. The recorded position never
/// follows the mouse, so small steps add up.
class WakeRule {
public:
    /// Judges a movement to (x, y) in the window's pixels; true when it wakes the saver.
    bool wakes(double x, double y);

    bool started() const { return bStarted; }

private:
    static constexpr std::int32_t kSlack = 4;

    bool bStarted = false;
    std::int32_t lLastX = 0;
    std::int32_t lLastY = 0;
};

/// The system's cursor display counter: it starts at 0, each show adds one and each hide takes
/// one away, and the cursor is hidden while the count is below 0. Nested show/hide pairs (the
/// wake-up's inside the saver's) therefore restore each other's state.
class CursorCounter {
public:
    /// Counts one show or hide; the new count.
    int ShowCursor(bool show) { return show ? ++count_ : --count_; }
    bool hidden() const { return count_ < 0; }
    int count() const { return count_; }

private:
    int count_ = 0;
};

}  // namespace muralto::app
