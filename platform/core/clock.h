// Time as the runtime and every backend keep it, and what they all derive
// from a clock the same way.
#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// Time since the backend started, on a monotonic clock.
using Time = std::chrono::nanoseconds;

// A seed for the random generator from the wall clock and the time the
// program has run, so that two starts never draw the same obstacles.
std::uint32_t ClockSeed(Time sinceStart);

// How long a wait for deadline may block, in whole milliseconds rounded up:
// waking early would only wait again. Zero once the deadline has passed; at
// most what a 32-bit count of milliseconds holds.
std::int32_t WaitMilliseconds(Time deadline, Time now);

}  // namespace platform
