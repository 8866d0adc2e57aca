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

std::vector<PadEvent> PadReader::Read(int pad, const PadState& state)
{
    auto known = std::find_if(pads_.begin(), pads_.end(), [pad](const Known& k) { return k.Pad == pad; });
    if (known == pads_.end()) {
        Known fresh;
        fresh.Pad = pad;
        known = pads_.insert(pads_.end(), fresh);
        ++moves_;
    }
    const std::optional<PadControl> stick = StickDirection(state.StickX, state.StickY, known->Stick);
    known->Stick = stick;
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

    if (known->Unseen) {
        // Whatever it holds as it connects, or as the focus comes back, must
        // be let go first.
        known->Held = now;
        known->Unseen = false;
    }
    std::vector<PadEvent> changes;
    for (std::size_t i = 0; i < kPadControls; ++i) {
        if (!now[i] && known->Pressed[i]) {
            changes.push_back({pad, static_cast<PadControl>(i), false});
            known->Pressed[i] = false;
        }
    }
    for (std::size_t i = 0; i < kPadControls; ++i) {
        if (now[i] && !known->Held[i]) {
            changes.push_back({pad, static_cast<PadControl>(i), true});
            known->Pressed[i] = true;
        }
    }
    if (now != known->Held) {
        ++moves_;
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
            if (known->Pressed[i]) {
                changes.push_back({pad, static_cast<PadControl>(i), false});
            }
        }
        pads_.erase(known);
        ++moves_;
    }
    return changes;
}

void PadReader::Refocus()
{
    for (Known& known : pads_) {
        known.Unseen = true;
    }
    ++moves_;
}

std::chrono::nanoseconds PadPace::After(std::chrono::nanoseconds now, std::uint64_t moves)
{
    if (!moved_ || moves != moves_) {
        moves_ = moves;
        moved_ = now;
    }
    return now - *moved_ < kPadRestAfter ? kPadSampleInterval : kPadRestInterval;
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
