#include "platform/headless/headless_backend.h"

#include <algorithm>

namespace platform {

std::optional<InputEvent> HeadlessBackend::WaitEvent(std::optional<Time> deadline)
{
    if (!input_.empty() && (!deadline || input_.front().At <= *deadline)) {
        now_ = std::max(now_, input_.front().At);
        InputEvent event = input_.front().Event;
        input_.pop_front();
        return event;
    }
    if (deadline) {
        now_ = std::max(now_, *deadline);
    }
    return std::nullopt;
}

BoxResult HeadlessBackend::ShowMessageBox(std::string_view title, std::string_view text,
                                          std::optional<Time> deadline)
{
    boxes_.push_back({std::string(title), std::string(text), now_});
    if (OnMessageBox) {
        return OnMessageBox(boxes_.back()).Result;
    }
    if (deadline) {
        now_ = std::max(now_, *deadline);
        return BoxResult::TimedOut;
    }
    return BoxResult::Dismissed;
}

void HeadlessBackend::DiscardInput()
{
    // Only what arrived while the box was open, that is up to now.
    while (!input_.empty() && input_.front().At <= now_) {
        input_.pop_front();
    }
}

std::uint32_t HeadlessBackend::ClockSeed()
{
    const auto ticks = static_cast<std::uint64_t>(now_.count());
    return seed_ ^ static_cast<std::uint32_t>(ticks ^ (ticks >> 32U));
}

void HeadlessBackend::Post(Time at, InputEvent event)
{
    const auto after = std::upper_bound(input_.begin(), input_.end(), at,
                                        [](Time t, const Posted& posted) { return t < posted.At; });
    input_.insert(after, Posted{at, std::move(event)});
}

}  // namespace platform
