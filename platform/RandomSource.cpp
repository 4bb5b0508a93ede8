#include "RandomSource.h"

#include <chrono>

namespace muralto::platform {

void TimeOfDayRandom::seedFromTimeOfDay() {
    // Microseconds since midnight, like a seed taken from the time of day with fractions.
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto sinceMidnight = now - duration_cast<days>(now);
    engine_.seed(static_cast<std::uint64_t>(duration_cast<microseconds>(sinceMidnight).count()));
}

double TimeOfDayRandom::next() {
    // 53 random bits scaled into [0, 1): never 1, every value equally likely.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

}  // namespace muralto::platform
