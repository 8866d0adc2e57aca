// The message box in the page, over the playfield (#modal, #box): the page's
// part of the box loop (core/box_loop.h). Its input comes from the page's
// callbacks, which may only queue it and wake the wait.
#pragma once

#include <deque>
#include <optional>
#include <string_view>

#include "platform/core/box_loop.h"

namespace platform {

// The page's clock, since the backend began.
class PageClock {
public:
    PageClock();
    Time Now() const;

private:
    double start_;  // the page's clock then, in milliseconds
};

// Suspends the C++ stack until an input callback wakes it or deadline (none:
// no limit) comes; false, without suspending, once the deadline has passed.
bool SleepUntil(std::optional<Time> deadline, Time now);

// Takes the first input of queue, which the page's callbacks fill, sleeping
// until there is one; none once deadline has passed without any. The clock
// is a plain object: through a std::function on the way to the sleep, the
// resumed stack trapped.
template <class Input>
std::optional<Input> TakeInput(std::deque<Input>& queue, std::optional<Time> deadline, const PageClock& clock)
{
    while (queue.empty()) {
        if (!SleepUntil(deadline, clock.Now())) {
            return std::nullopt;
        }
    }
    Input input = std::move(queue.front());
    queue.pop_front();
    return input;
}

class WebBox final : public BoxWindow {
public:
    explicit WebBox(const PageClock& clock) : clock_(clock) {}

    bool IsOpen() const { return open_; }
    // Input for the box from a callback; dropped while it is closed.
    void Queue(const BoxInput& input);

    bool Open(std::string_view title, const Surface& pixels) override;
    void Show(const Surface& pixels) override;
    std::optional<BoxInput> Next(std::optional<Time> deadline) override;
    void Close() override;

private:
    const PageClock& clock_;
    std::deque<BoxInput> input_;
    bool open_ = false;
};

}  // namespace platform
