#pragma once

#include <cstdint>
#include <random>

namespace muralto::platform {

/// A uniform random generator giving 0 <= r < 1.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
    /// Starts the sequence afresh from the time of day; a scripted source ignores it.
    virtual void seedFromTimeOfDay() {}
};

/// A generator that repeats: two of them with the same seed give the same draws.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    /// 53 random bits scaled into [0, 1): never 1, every value equally likely.
    double next() override { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

protected:
    std::mt19937_64 engine_;
};

/// The program's own generator, seeded once from the time of day.
class TimeOfDayRandom : public SeededRandom {
public:
    TimeOfDayRandom() : SeededRandom(0) { seedFromTimeOfDay(); }
    void seedFromTimeOfDay() override;
};

}  // namespace muralto::platform
