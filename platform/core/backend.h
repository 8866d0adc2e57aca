// What the runtime needs of a window system: a clock, input events, a place
// to present frames and a modal message box. The SDL backend gives the real
// window, the web backend the page's canvas, and the headless backend gives
// tests a virtual clock and scripted input.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "platform/core/clock.h"
#include "platform/core/gamepad.h"
#include "platform/graphics/surface.h"

namespace platform {

// Shift state bits and mouse button bits, as the handlers receive them.
enum ShiftMask : int { kShift = 1, kCtrl = 2, kAlt = 4 };
enum ButtonMask : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// The shift state from which of the modifiers are held, for every backend.
constexpr int ShiftState(bool shift, bool ctrl, bool alt)
{
    return (shift ? kShift : 0) | (ctrl ? kCtrl : 0) | (alt ? kAlt : 0);
}

struct MouseMoveEvent {
    float X = 0;
    float Y = 0;
    int Buttons = 0;
    int Shift = 0;
};
struct MouseDownEvent {
    float X = 0;
    float Y = 0;
    int Button = kLeftButton;
    int Shift = 0;
};
struct MouseUpEvent {
    float X = 0;
    float Y = 0;
    int Button = kLeftButton;
    int Shift = 0;
};
struct KeyDownEvent {
    int KeyCode = 0;  // virtual-key code
    int Shift = 0;
};
struct CloseEvent {};
struct ExposeEvent {};
// The window lost the keyboard's focus: a held pad direction stops repeating,
// as a held key does. It is shown afresh, as after an expose.
struct FocusLostEvent {};

// A pad's control pressed or let go (PadEvent, in gamepad.h) is input as a
// key or a click is: the runtime makes the key-downs and clicks of it.
using InputEvent = std::variant<MouseMoveEvent, MouseDownEvent, MouseUpEvent, KeyDownEvent, CloseEvent, ExposeEvent,
                                PadEvent, FocusLostEvent>;

// How a modal message box ended.
enum class BoxResult {
    Dismissed,  // by its OK button, a key or its own close button
    NotShown,   // it could not be shown at all
    Quit,       // the game window was closed, or the program told to end, while it was open
    TimedOut,   // its deadline came first (a replay closing it when it was closed)
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual Time Now() = 0;
    // Blocks until an input event arrives or the deadline (none: no limit)
    // has passed; nothing is returned when the wait ended without an event.
    virtual std::optional<InputEvent> WaitEvent(std::optional<Time> deadline) = 0;
    // Shows frame. changed names the parts that differ from the frame shown
    // before; empty, the whole frame is new.
    virtual void Present(const Surface& frame, std::span<const Rect> changed) = 0;
    // The screen's own pixels, when the runtime can compose straight into
    // them and spare a frame's copy and its memory; none otherwise. They keep
    // what was composed into them for as long as the generation stays.
    struct Canvas {
        Surface* Pixels = nullptr;
        // Changes whenever the pixels are made anew: a new surface may lie at
        // the very address of the old one and hold nothing of it.
        std::uint64_t Generation = 0;
    };
    virtual Canvas ScreenCanvas() { return {}; }
    // Modal, one OK button; returns once the box has closed, or at the
    // latest at deadline (none: no limit), a time of Now()'s clock.
    virtual BoxResult ShowMessageBox(std::string_view title, std::string_view text,
                                     std::optional<Time> deadline) = 0;
    // Drops the clicks, keys and pad input that arrived while a modal box was
    // open.
    virtual void DiscardInput() = 0;
    // A seed for the random generator, taken from the clock: the wall clock's
    // and Now()'s together, unless a backend has its own.
    virtual std::uint32_t ClockSeed() { return platform::ClockSeed(Now()); }
    // Puts the window on the screen, once the form it shows has loaded: a
    // form's Load runs before anything of it is seen. Called again, it does
    // nothing.
    virtual void ShowWindow() {}
};

}  // namespace platform
