#pragma once

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

/// The program's own generator, seeded once from the time of day.
class TimeOfDayRandom : public RandomSource {
public:
    TimeOfDayRandom() { seedFromTimeOfDay(); }
    double next() override;
    void seedFromTimeOfDay() override;

private:
    std::mt19937_64 engine_;
};

}  // namespace muralto::platform
