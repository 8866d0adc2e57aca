// The form's timers: when each ticks next, and which is due. They tick at the
// platform's resolution or their interval if longer, and keep their cadence.
#pragma once

#include <chrono>
#include <optional>

#include "platform/core/clock.h"
#include "platform/core/controls.h"
#include "platform/core/form.h"
#include "platform/core/timer_stats.h"

namespace platform {

// The platform's timer resolution, the classic desktop system tick: a shorter
// interval ticks at this rate instead.
constexpr Time kTimerResolution = std::chrono::microseconds(15625);

// How often an enabled timer with this interval ticks.
Time TimerPeriod(int intervalMilliseconds);

// Gives each enabled timer that has no deadline one a period from now (a
// fresh interval), and takes it from each disabled one.
void ArmTimers(Form& form, Time now, TimerStats& stats);

// The earliest deadline of the form's enabled timers; none when none ticks.
std::optional<Time> NextDeadline(const Form& form);

// The timer due at now with the earliest deadline, its deadline moved on by a
// period; null when none is due. A timer that has fallen a whole period
// behind ticks once and starts again from now instead of catching up in a
// burst.
Timer* TakeDueTimer(Form& form, Time now);

}  // namespace platform
