#pragma once

#include <cstdint>
#include <random>

#include "RandomSource.h"

namespace muralto::test {

/// A deterministic RandomSource: two of them with the same seed give the same draws.
class SeededRandom : public platform::RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    double next() override { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_;
};

}  // namespace muralto::test
