#include "platform/core/clock.h"

#include <algorithm>

namespace platform {

std::uint32_t ClockSeed(Time sinceStart)
{
    const auto ticks = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
                       static_cast<std::uint64_t>(sinceStart.count());
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32U));
}

std::int32_t WaitMilliseconds(Time deadline, Time now)
{
    if (deadline <= now) {
        return 0;
    }
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<std::int32_t>(std::min<std::int64_t>(milliseconds, INT32_MAX));
}

}  // namespace platform
