// The browser's gamepads, through its Gamepad API. A browser tells of a pad
// when it connects (and shows a pad to a page only after one of its buttons
// has been pressed there); from then on the pads are sampled at most 60 times
// a second, and only while the page is visible. With none connected, or the
// page hidden, nothing wakes the page.
#pragma once

#include <emscripten/html5.h>

#include <chrono>
#include <optional>
#include <vector>

#include "platform/core/gamepad.h"

namespace platform {

class WebPads {
public:
    using Time = std::chrono::nanoseconds;

    // wake ends the wait; the browser's callbacks call it when a pad comes or
    // goes, or the page shows again. Their listeners go with the backend's.
    explicit WebPads(void (*wake)());
    WebPads(const WebPads&) = delete;
    WebPads& operator=(const WebPads&) = delete;

    // When the pads are next to be sampled; none while none is connected or
    // the page is hidden.
    std::optional<Time> NextSample() const;
    // Samples them, if due by now; what changed goes to out.
    void Sample(Time now, std::vector<PadEvent>& out);
    bool Hidden() const { return hidden_; }

private:
    static EM_BOOL OnConnection(int type, const EmscriptenGamepadEvent* event, void* data);
    static EM_BOOL OnVisibility(int type, const EmscriptenVisibilityChangeEvent* event, void* data);

    void (*wake_)();
    bool sampling_ = false;  // a pad is connected, as far as is known
    bool hidden_ = false;
    Time next_{};
    std::vector<int> known_;  // the pads read at the last sample, by the browser's index
    PadReader reader_;
};

}  // namespace platform
