#include "platform/web/pads.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace platform {

WebPads::WebPads(void (*wake)()) : wake_(wake)
{
    // Without the Gamepad API these fail, and the page simply has no pads.
    emscripten_set_gamepadconnected_callback(this, EM_FALSE, OnConnection);
    emscripten_set_gamepaddisconnected_callback(this, EM_FALSE, OnConnection);
    emscripten_set_visibilitychange_callback(this, EM_FALSE, OnVisibility);
    EmscriptenVisibilityChangeEvent visibility{};
    if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS) {
        hidden_ = visibility.hidden != 0;
    }
    // A pad the browser showed the page before the game began (a reload)
    // may not be announced again.
    sampling_ = true;
}

EM_BOOL WebPads::OnConnection(int /*type*/, const EmscriptenGamepadEvent* /*event*/, void* data)
{
    auto& pads = *static_cast<WebPads*>(data);
    pads.sampling_ = true;
    pads.next_ = Time::zero();  // at once: what the pad shows, or that it is gone
    pads.wake_();
    return EM_FALSE;
}

EM_BOOL WebPads::OnVisibility(int /*type*/, const EmscriptenVisibilityChangeEvent* event, void* data)
{
    auto& pads = *static_cast<WebPads*>(data);
    pads.hidden_ = event->hidden != 0;
    if (!pads.hidden_) {
        pads.next_ = Time::zero();
    }
    pads.wake_();
    return EM_FALSE;
}

std::optional<WebPads::Time> WebPads::NextSample() const
{
    if (!sampling_ || hidden_) {
        return std::nullopt;
    }
    return next_;
}

void WebPads::Sample(Time now, std::vector<PadEvent>& out)
{
    if (!sampling_ || hidden_ || now < next_) {
        return;
    }
    std::vector<int> seen;
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
            const std::vector<PadEvent> changes = reader_.Read(i, BrowserPad(axes, buttons, standard));
            out.insert(out.end(), changes.begin(), changes.end());
            seen.push_back(i);
        }
    }
    for (const int index : known_) {
        if (std::find(seen.begin(), seen.end(), index) == seen.end()) {
            const std::vector<PadEvent> released = reader_.Remove(index);
            out.insert(out.end(), released.begin(), released.end());
        }
    }
    known_ = std::move(seen);
    // None left: no more samples until the browser announces one.
    sampling_ = !known_.empty();
    next_ += kPadSampleInterval;
    if (next_ <= now) {
        next_ = now + kPadSampleInterval;
    }
}

}  // namespace platform
