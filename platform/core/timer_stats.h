// With BRENNOW_STATS=1 the program tells at exit how often each timer ticked,
// so that the benchmarks can check the cadence in the real window.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/core/clock.h"

namespace platform {

class TimerStats {
public:
    // Counting only when the environment asks for it.
    TimerStats();
    explicit TimerStats(bool counting) : counting_(counting) {}

    bool Counting() const { return counting_; }
    // The timer was armed at now; the first arming is when it was enabled.
    void Armed(std::string_view name, Time now);
    void Ticked(std::string_view name, Time now);
    // One line for the run and one per timer, on standard error.
    void Report(Time ranFor) const;

private:
    struct Entry {
        std::string_view Name;  // a design's name, which outlives the program's run
        std::uint64_t Ticks = 0;
        Time Enabled{};
        Time Last{};
    };
    Entry& Of(std::string_view name, Time now);

    bool counting_ = false;
    std::vector<Entry> entries_;
};

}  // namespace platform
