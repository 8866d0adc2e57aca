#include "platform/core/timer_stats.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

TimerStats::TimerStats()
{
    const char* stats = std::getenv("BRENNOW_STATS");
    counting_ = stats != nullptr && std::strcmp(stats, "1") == 0;
}

TimerStats::Entry& TimerStats::Of(std::string_view name, Time now)
{
    for (Entry& entry : entries_) {
        if (entry.Name == name) {
            return entry;
        }
    }
    return entries_.emplace_back(Entry{name, 0, now, now});
}

void TimerStats::Armed(std::string_view name, Time now)
{
    if (counting_) {
        Of(name, now);
    }
}

void TimerStats::Ticked(std::string_view name, Time now)
{
    if (counting_) {
        Entry& entry = Of(name, now);
        ++entry.Ticks;
        entry.Last = now;
    }
}

void TimerStats::Report(Time ranFor) const
{
    if (!counting_) {
        return;
    }
    const auto seconds = [](Time t) { return std::chrono::duration<double>(t).count(); };
    std::fprintf(stderr, "brennow stats: ran %.6f s\n", seconds(ranFor));
    for (const Entry& entry : entries_) {
        std::fprintf(stderr, "brennow stats: %.*s %llu ticks, enabled at %.6f s, last at %.6f s\n",
                     static_cast<int>(entry.Name.size()), entry.Name.data(),
                     static_cast<unsigned long long>(entry.Ticks), seconds(entry.Enabled), seconds(entry.Last));
    }
}

}  // namespace platform
