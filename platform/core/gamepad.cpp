#include "platform/core/gamepad.h"

#include <algorithm>
#include <cmath>

#include "platform/core/virtual_keys.h"

namespace platform {

namespace {

constexpr std::size_t Index(PadControl control)
{
    return static_cast<std::size_t>(control);
}

bool Horizontal(PadControl control)
{
    return control == PadControl::StickLeft || control == PadControl::StickRight;
}

// How far the stick at (x, y) is pushed toward direction, 0 if the other way.
float Along(PadControl direction, float x, float y)
{
    switch (direction) {
    case PadControl::StickUp:
        return std::max(-y, 0.0F);
    case PadControl::StickDown:
        return std::max(y, 0.0F);
    case PadControl::StickLeft:
        return std::max(-x, 0.0F);
    case PadControl::StickRight:
        return std::max(x, 0.0F);
    default:
        return 0;
    }
}

}  // namespace

int PadArrowKey(PadControl control)
{
    switch (control) {
    case PadControl::DpadUp:
    case PadControl::StickUp:
        return vk::Up;
    case PadControl::DpadDown:
    case PadControl::StickDown:
        return vk::Down;
    case PadControl::DpadLeft:
    case PadControl::StickLeft:
        return vk::Left;
    case PadControl::DpadRight:
    case PadControl::StickRight:
        return vk::Right;
    default:
        return 0;
    }
}

bool PadClosesBox(const PadEvent& event)
{
    return event.Pressed &&
           (event.Control == PadControl::A || event.Control == PadControl::Start || event.Control == PadControl::B);
}

std::optional<PadControl> StickDirection(float x, float y, std::optional<PadControl> before)
{
    // A broken or unplugged driver may hand over anything: no direction then.
    if (!std::isfinite(x) || !std::isfinite(y)) {
        return std::nullopt;
    }
    const float across = std::abs(x);
    const float upright = std::abs(y);
    if (before) {
        const float held = Along(*before, x, y);
        const float other = Horizontal(*before) ? upright : across;
        if (held >= kStickDeadZone - kStickHysteresis && held + kStickHysteresis >= other) {
            return before;
        }
    }
    if (std::max(across, upright) < kStickDeadZone) {
        return std::nullopt;
    }
    if (across >= upright) {
        return x < 0 ? PadControl::StickLeft : PadControl::StickRight;
    }
    return y < 0 ? PadControl::StickUp : PadControl::StickDown;
}

PadState BrowserPad(std::span<const double> axes, std::span<const int> pressed, bool standard)
{
    const auto button = [pressed](std::size_t i) { return i < pressed.size() && pressed[i] != 0; };
    // Only what lies between -1 and 1 makes a float soundly.
    const auto axis = [axes](std::size_t i) {
        return i < axes.size() && std::isfinite(axes[i]) ? static_cast<float>(std::clamp(axes[i], -1.0, 1.0)) : 0.0F;
    };
    PadState state;
    state.StickX = axis(0);
    state.StickY = axis(1);
    state.A = button(0);
    if (standard) {
        state.B = button(1);
        state.Start = button(9);
        state.Up = button(12);
        state.Down = button(13);
        state.Left = button(14);
        state.Right = button(15);
    }
    return state;
}

std::vector<PadEvent> PadReader::Read(int pad, const PadState& state)
{
    auto known = std::find_if(pads_.begin(), pads_.end(), [pad](const Known& k) { return k.Pad == pad; });
    if (known == pads_.end()) {
        known = pads_.insert(pads_.end(), Known{pad, {}});
    }
    std::optional<PadControl> stickBefore;
    for (PadControl c : {PadControl::StickUp, PadControl::StickDown, PadControl::StickLeft, PadControl::StickRight}) {
        if (known->Held[Index(c)]) {
            stickBefore = c;
        }
    }
    const std::optional<PadControl> stick = StickDirection(state.StickX, state.StickY, stickBefore);
    std::array<bool, kPadControls> now{};
    now[Index(PadControl::DpadUp)] = state.Up;
    now[Index(PadControl::DpadDown)] = state.Down;
    now[Index(PadControl::DpadLeft)] = state.Left;
    now[Index(PadControl::DpadRight)] = state.Right;
    if (stick) {
        now[Index(*stick)] = true;
    }
    now[Index(PadControl::A)] = state.A;
    now[Index(PadControl::B)] = state.B;
    now[Index(PadControl::Start)] = state.Start;

    std::vector<PadEvent> changes;
    for (const bool pressed : {false, true}) {
        for (std::size_t i = 0; i < kPadControls; ++i) {
            if (now[i] == pressed && known->Held[i] != pressed) {
                changes.push_back({pad, static_cast<PadControl>(i), pressed});
            }
        }
    }
    known->Held = now;
    return changes;
}

std::vector<PadEvent> PadReader::Remove(int pad)
{
    std::vector<PadEvent> changes;
    const auto known = std::find_if(pads_.begin(), pads_.end(), [pad](const Known& k) { return k.Pad == pad; });
    if (known != pads_.end()) {
        for (std::size_t i = 0; i < kPadControls; ++i) {
            if (known->Held[i]) {
                changes.push_back({pad, static_cast<PadControl>(i), false});
            }
        }
        pads_.erase(known);
    }
    return changes;
}

std::optional<PadAction> PadKeys::Change(const PadEvent& event, std::chrono::nanoseconds at)
{
    const int key = PadArrowKey(event.Control);
    if (!event.Pressed) {
        if (repeating_ && repeating_->Pad == event.Pad && repeating_->Control == event.Control) {
            repeating_.reset();
        }
        return std::nullopt;
    }
    if (key != 0) {
        repeating_ = Repeating{event.Pad, event.Control, key, at + kRepeatDelay, 0};
        return PadAction{PadAction::Key, key};
    }
    if (event.Control == PadControl::A || event.Control == PadControl::Start) {
        return PadAction{PadAction::Click, 0};
    }
    return std::nullopt;  // B only closes the box
}

std::chrono::nanoseconds PadKeys::Due(const Repeating& repeating)
{
    // Whole nanoseconds from the start of the rate, so that 30 a second does
    // not drift by the remainder of a thirtieth.
    return repeating.From + std::chrono::nanoseconds(repeating.Count * 1'000'000'000 / kRepeatsPerSecond);
}

std::optional<std::chrono::nanoseconds> PadKeys::Deadline() const
{
    if (!repeating_) {
        return std::nullopt;
    }
    return Due(*repeating_);
}

std::optional<int> PadKeys::Repeat(std::chrono::nanoseconds now)
{
    if (!repeating_ || Due(*repeating_) > now) {
        return std::nullopt;
    }
    ++repeating_->Count;
    if (repeating_->Count == kRepeatsPerSecond) {
        repeating_->From += std::chrono::seconds(1);  // the count stays small, however long it is held
        repeating_->Count = 0;
    }
    if (Due(*repeating_) <= now) {
        repeating_->From = now;
        repeating_->Count = 1;
    }
    return repeating_->KeyCode;
}

}  // namespace platform
