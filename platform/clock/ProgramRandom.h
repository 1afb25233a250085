#pragma once

#include <cstdint>

#include "platform/clock/Clock.h"

namespace pellimore {

// The classic 24-bit linear congruential generator:
//     x = (x * 1140671485 + 12820163) mod 2^24,   Next() = x / 2^24.
// Every value is a multiple of 2^-24 below 1, so it is exact in single
// precision, and a seed always gives the same sequence on every machine.
//
// Seed(s) sets the state to the low 24 bits of s folded with its high 8 bits
// (x = (s ^ (s >> 24)) mod 2^24), so seeds that differ only above bit 23 still
// give different sequences. Without a seed the state starts at 0x50000.
class ProgramRandom final : public Random {
public:
    static constexpr uint32_t kModulusMask = 0xFFFFFFu;   // 2^24 - 1
    static constexpr uint32_t kMultiplier = 1140671485u;
    static constexpr uint32_t kIncrement = 12820163u;
    static constexpr uint32_t kInitialState = 0x50000u;

    ProgramRandom() = default;
    explicit ProgramRandom(uint32_t seed) { Seed(seed); }

    void Seed(uint32_t seed) override { state_ = (seed ^ (seed >> 24)) & kModulusMask; }

    float Next() override
    {
        // Unsigned arithmetic wraps mod 2^32, which keeps the low 24 bits exact.
        state_ = (state_ * kMultiplier + kIncrement) & kModulusMask;
        return float(state_) / 16777216.0f;
    }

    uint32_t State() const { return state_; }

private:
    uint32_t state_ = kInitialState;
};

}  // namespace pellimore
