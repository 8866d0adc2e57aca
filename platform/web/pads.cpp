#include "platform/web/pads.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

#include "platform/core/clock.h"
#include "platform/web/browser_pad.h"

// The page's side, in library.js: one timer that calls back into C++.
extern "C" {
void brennow_pad_timer(double milliseconds, void (*callback)(void*), void* data);
}

namespace platform {

WebPads::WebPads(std::function<Time()> now, std::function<void(const PadEvent&)> deliver)
    : now_(std::move(now)), deliver_(std::move(deliver))
{
    // Without the Gamepad API these fail, and the page simply has no pads.
    emscripten_set_gamepadconnected_callback(this, EM_FALSE, OnConnection);
    emscripten_set_gamepaddisconnected_callback(this, EM_FALSE, OnConnection);
    emscripten_set_visibilitychange_callback(this, EM_FALSE, OnVisibility);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, OnFocus);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, OnFocus);
    EmscriptenVisibilityChangeEvent visibility{};
    if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS) {
        hidden_ = visibility.hidden != 0;
    }
    // A pad the browser showed the page before the game began (a reload)
    // may not be announced again: one look now.
    Arm(now_());
}

WebPads::~WebPads()
{
    brennow_pad_timer(-1, nullptr, nullptr);
}

EM_BOOL WebPads::OnConnection(int /*type*/, const EmscriptenGamepadEvent* /*event*/, void* data)
{
    auto& pads = *static_cast<WebPads*>(data);
    pads.Arm(pads.now_());  // at once: what the pad shows, or that it is gone
    return EM_FALSE;
}

EM_BOOL WebPads::OnVisibility(int /*type*/, const EmscriptenVisibilityChangeEvent* event, void* data)
{
    auto& pads = *static_cast<WebPads*>(data);
    pads.hidden_ = event->hidden != 0;
    pads.Resume();
    return EM_FALSE;
}

EM_BOOL WebPads::OnFocus(int type, const EmscriptenFocusEvent* /*event*/, void* data)
{
    auto& pads = *static_cast<WebPads*>(data);
    pads.blurred_ = type == EMSCRIPTEN_EVENT_BLUR;
    pads.Resume();
    return EM_FALSE;
}

void WebPads::Resume()
{
    if (hidden_ || blurred_) {
        brennow_pad_timer(-1, nullptr, nullptr);
        armed_ = false;
        return;
    }
    // What was pressed meanwhile went to another page or window.
    reader_.Refocus();
    Arm(now_());
}

void WebPads::OnTimer(void* data)
{
    static_cast<WebPads*>(data)->Sample();
}

void WebPads::Arm(Time at)
{
    if (hidden_ || blurred_) {
        return;
    }
    next_ = at;
    armed_ = true;
    brennow_pad_timer(static_cast<double>(WaitMilliseconds(at, now_())), OnTimer, this);
}

void WebPads::Sample()
{
    armed_ = false;
    if (hidden_ || blurred_) {
        return;
    }
    std::vector<int> seen;
    std::vector<PadEvent> changes;
    if (emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS) {
        const int count = emscripten_get_num_gamepads();
        for (int i = 0; i < count; ++i) {
            EmscriptenGamepadEvent pad{};
            if (emscripten_get_gamepad_status(i, &pad) != EMSCRIPTEN_RESULT_SUCCESS || pad.connected == 0) {
                continue;
            }
            const auto axes = std::span<const double>(pad.axis).first(std::clamp(pad.numAxes, 0, 64));
            const auto buttons = std::span<const int>(pad.digitalButton).first(std::clamp(pad.numButtons, 0, 64));
            const bool standard = std::strcmp(pad.mapping, "standard") == 0;
            const std::vector<PadEvent> read = reader_.Read(i, BrowserPad(axes, buttons, standard));
            changes.insert(changes.end(), read.begin(), read.end());
            seen.push_back(i);
        }
    }
    for (const int index : known_) {
        if (std::find(seen.begin(), seen.end(), index) == seen.end()) {
            const std::vector<PadEvent> released = reader_.Remove(index);
            changes.insert(changes.end(), released.begin(), released.end());
        }
    }
    known_ = std::move(seen);
    for (const PadEvent& change : changes) {
        deliver_(change);
    }
    // None left: no more samples until the browser announces one. Otherwise
    // on a fixed beat; a beat missed (a busy or throttled page) is not made up.
    if (!known_.empty()) {
        const Time now = now_();
        const Time interval = pace_.After(now, reader_.Moves());
        Time next = next_ + interval;
        if (next <= now) {
            next = now + interval;
        }
        Arm(next);
    }
}

}  // namespace platform
