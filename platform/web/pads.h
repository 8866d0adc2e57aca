// The browser's gamepads, through its Gamepad API. A browser tells of a pad
// when it connects (and shows a pad to a page only after one of its buttons
// has been pressed there); from then on the pads are sampled at most 60 times
// a second (20 once none has moved for a while), and only while the page is
// visible and has the focus, as on the desktop. With none connected, or the
// page hidden or in the background, nothing wakes the page.
//
// The samples come from a timer of the page's own that calls in while the
// game's stack is suspended in its wait, as the input callbacks do: the
// stack is resumed only when a pad changed, not for every sample.
#pragma once

#include <emscripten/html5.h>

#include <chrono>
#include <functional>
#include <vector>

#include "platform/core/gamepad.h"

namespace platform {

class WebPads {
public:
    using Time = std::chrono::nanoseconds;

    // now is the backend's clock; deliver takes each change as it is read,
    // and may only queue it and wake the wait. The browser's listeners go
    // with the backend's.
    WebPads(std::function<Time()> now, std::function<void(const PadEvent&)> deliver);
    ~WebPads();
    WebPads(const WebPads&) = delete;
    WebPads& operator=(const WebPads&) = delete;

private:
    static EM_BOOL OnConnection(int type, const EmscriptenGamepadEvent* event, void* data);
    static EM_BOOL OnVisibility(int type, const EmscriptenVisibilityChangeEvent* event, void* data);
    static EM_BOOL OnFocus(int type, const EmscriptenFocusEvent* event, void* data);
    static void OnTimer(void* data);
    // Reads the pads, hands over what changed, and sets the timer for the
    // next reading while one is connected and the page shows.
    void Sample();
    void Arm(Time at);
    // The page was shown, hidden, focused or left: reading stops or starts.
    void Resume();

    std::function<Time()> now_;
    std::function<void(const PadEvent&)> deliver_;
    bool hidden_ = false;
    bool blurred_ = false;
    bool armed_ = false;
    Time next_{};
    std::vector<int> known_;  // the pads read at the last sample, by the browser's index
    PadReader reader_;
    PadPace pace_;
};

}  // namespace platform
