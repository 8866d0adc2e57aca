// The random number generator: a 24-bit linear congruential generator, so
// that every number is exact as a 32-bit float and strictly below 1.
#pragma once

#include <cstdint>

#include "platform/language/values.h"

namespace platform {

class Random {
public:
    void Seed(std::uint32_t seed) { state_ = (seed ^ (seed >> 24U)) & kMask; }
    // The next r, 0 <= r < 1.
    Single Next()
    {
        state_ = (state_ * 0x43FD43FDU + 0xC39EC3U) & kMask;
        return static_cast<Single>(state_) / static_cast<Single>(kMask + 1U);
    }

private:
    static constexpr std::uint32_t kMask = 0xFFFFFFU;
    std::uint32_t state_ = 0x50000U;
};

}  // namespace platform
