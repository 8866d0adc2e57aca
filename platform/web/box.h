// The message box in the page, over the playfield (#modal, #box): the page's
// part of the box loop (core/box_loop.h). Its input comes from the page's
// callbacks, which may only queue it and wake the wait.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/core/box_loop.h"

namespace platform {

// Suspends the C++ stack until an input callback wakes it or deadline (none:
// no limit) comes; false, without suspending, once the deadline has passed.
bool SleepUntil(std::optional<Time> deadline, Time now);

// Takes the first input of queue, which the page's callbacks fill, sleeping
// until there is one; none once deadline has passed without any.
template <class Input>
std::optional<Input> TakeInput(std::deque<Input>& queue, std::optional<Time> deadline,
                               const std::function<Time()>& now)
{
    while (queue.empty()) {
        if (!SleepUntil(deadline, now())) {
            return std::nullopt;
        }
    }
    Input input = std::move(queue.front());
    queue.pop_front();
    return input;
}

class WebBox final : public BoxWindow {
public:
    explicit WebBox(std::function<Time()> now) : now_(std::move(now)) {}

    bool IsOpen() const { return open_; }
    // Input for the box from a callback; dropped while it is closed.
    void Queue(const BoxInput& input);

    bool Open(std::string_view title, const Surface& pixels) override;
    void Show(const Surface& pixels) override;
    std::optional<BoxInput> Next(std::optional<Time> deadline) override;
    void Close() override;

private:
    std::function<Time()> now_;
    std::deque<BoxInput> input_;
    bool open_ = false;
};

}  // namespace platform
