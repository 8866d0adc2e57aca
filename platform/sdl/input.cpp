#include "platform/sdl/input.h"

#include <SDL.h>

#include <cmath>

#include "platform/sdl/keys.h"

namespace platform {

namespace {

int ShiftState(Uint16 mod)
{
    return platform::ShiftState((mod & KMOD_SHIFT) != 0, (mod & KMOD_CTRL) != 0, (mod & KMOD_ALT) != 0);
}

int ButtonBit(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return kLeftButton;
    case SDL_BUTTON_RIGHT:
        return kRightButton;
    case SDL_BUTTON_MIDDLE:
        return kMiddleButton;
    default:
        return 0;
    }
}

int HeldButtons(Uint32 state)
{
    int buttons = 0;
    if ((state & SDL_BUTTON_LMASK) != 0) {
        buttons |= kLeftButton;
    }
    if ((state & SDL_BUTTON_RMASK) != 0) {
        buttons |= kRightButton;
    }
    if ((state & SDL_BUTTON_MMASK) != 0) {
        buttons |= kMiddleButton;
    }
    return buttons;
}

// A window coordinate in playfield pixels.
float Playfield(Sint32 coordinate, int origin, int scale)
{
    return static_cast<float>(std::floor((static_cast<double>(coordinate) - origin) / scale));
}

bool OnPlayfield(float x, float y, const Pointer& pointer)
{
    return x >= 0 && y >= 0 && x < static_cast<float>(pointer.Width) && y < static_cast<float>(pointer.Height);
}

}  // namespace

std::optional<InputEvent> Translate(const SDL_Event& event, std::uint32_t windowId, Pointer& pointer)
{
    const Layout& at = pointer.At;
    switch (event.type) {
    case SDL_QUIT:
        return CloseEvent{};
    case SDL_WINDOWEVENT:
        if (event.window.windowID != windowId) {
            return std::nullopt;
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            return CloseEvent{};
        }
        switch (event.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
        // On Wayland a frame presented before the compositor has configured
        // the window can be lost, and no expose follows: show it again once
        // the window is shown or its surface made anew.
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        // Wayland: the compositor tells a window it is active or no longer
        // is by a new configuration, and the frame around the window takes
        // it up only with the window's next frame (until then the compositor
        // may show the window black). The game shows a new frame only when
        // something changed, so it shows one here.
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return ExposeEvent{};
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return FocusLostEvent{};  // the runtime shows a frame on it too
        default:
            return std::nullopt;
        }
    case SDL_MOUSEMOTION: {
        const float x = Playfield(event.motion.x, at.X, at.Scale);
        const float y = Playfield(event.motion.y, at.Y, at.Scale);
        // A release this window never heard (the box took it, say) lets go
        // here, or a later move beyond the playfield would still go on.
        pointer.Pressed &= HeldButtons(event.motion.state);
        if (!OnPlayfield(x, y, pointer) && pointer.Pressed == 0) {
            return std::nullopt;
        }
        return MouseMoveEvent{x, y, HeldButtons(event.motion.state), ShiftState(static_cast<Uint16>(SDL_GetModState()))};
    }
    case SDL_MOUSEBUTTONDOWN: {
        const float x = Playfield(event.button.x, at.X, at.Scale);
        const float y = Playfield(event.button.y, at.Y, at.Scale);
        if (!OnPlayfield(x, y, pointer)) {
            return std::nullopt;
        }
        pointer.Pressed |= ButtonBit(event.button.button);
        return MouseDownEvent{x, y, ButtonBit(event.button.button), ShiftState(static_cast<Uint16>(SDL_GetModState()))};
    }
    case SDL_MOUSEBUTTONUP: {
        const float x = Playfield(event.button.x, at.X, at.Scale);
        const float y = Playfield(event.button.y, at.Y, at.Scale);
        const int button = ButtonBit(event.button.button);
        const bool pressedHere = (pointer.Pressed & button) != 0;
        pointer.Pressed &= ~button;
        if (!OnPlayfield(x, y, pointer) && !pressedHere) {
            return std::nullopt;
        }
        return MouseUpEvent{x, y, button, ShiftState(static_cast<Uint16>(SDL_GetModState()))};
    }
    case SDL_KEYDOWN:
        return KeyDownEvent{VirtualKeyCode(event.key.keysym), ShiftState(event.key.keysym.mod)};
    default:
        return std::nullopt;
    }
}

}  // namespace platform
