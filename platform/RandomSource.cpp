#include "platform/RandomSource.h"

#include <chrono>

namespace muralto::platform {

void TimeOfDayRandom::seedFromTimeOfDay() {
    // Microseconds since midnight, like a seed taken from the time of day with fractions.
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto sinceMidnight = now - duration_cast<days>(now);
    engine_.seed(static_cast<std::uint64_t>(duration_cast<microseconds>(sinceMidnight).count()));
}

}  // namespace muralto::platform
