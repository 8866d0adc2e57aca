#include "platform/core/timers.h"

#include <algorithm>

namespace platform {

Time TimerPeriod(int intervalMilliseconds)
{
    return std::max<Time>(std::chrono::milliseconds(std::max(intervalMilliseconds, 0)), kTimerResolution);
}

void ArmTimers(Form& form, Time now, TimerStats& stats)
{
    if (!form.IsLoaded()) {
        return;
    }
    for (Control& control : form.Controls()) {
        if (auto* timer = std::get_if<Timer>(&control)) {
            if (!timer->Enabled) {
                timer->Deadline.reset();
            } else if (!timer->Deadline) {
                timer->Deadline = now + TimerPeriod(timer->Interval);
                stats.Armed(timer->Name, now);
            }
        }
    }
}

std::optional<Time> NextDeadline(const Form& form)
{
    std::optional<Time> next;
    if (!form.IsLoaded()) {
        return next;
    }
    for (const Control& control : form.Controls()) {
        if (const auto* timer = std::get_if<Timer>(&control); timer && timer->Enabled && timer->Deadline) {
            if (!next || *timer->Deadline < *next) {
                next = timer->Deadline;
            }
        }
    }
    return next;
}

Timer* TakeDueTimer(Form& form, Time now)
{
    if (!form.IsLoaded()) {
        return nullptr;
    }
    Timer* due = nullptr;
    for (Control& control : form.Controls()) {
        auto* timer = std::get_if<Timer>(&control);
        if (timer && timer->Enabled && timer->Deadline && *timer->Deadline <= now &&
            (due == nullptr || *timer->Deadline < *due->Deadline)) {
            due = timer;
        }
    }
    if (due != nullptr) {
        // Deadlines advance by the period, so the cadence does not drift.
        const Time period = TimerPeriod(due->Interval);
        const Time next = *due->Deadline + period;
        due->Deadline = next <= now ? now + period : next;
    }
    return due;
}

}  // namespace platform
