// SDL's events as the runtime's input events: positions in playfield pixels,
// keys as the old desktop's codes, shift and button state as the handlers
// receive them.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/core/backend.h"
#include "platform/sdl/present.h"

union SDL_Event;

namespace platform {

// The pointer over the playfield: where the playfield stands in the window,
// and the buttons pressed on it and not yet let go.
struct Pointer {
    Layout At;
    int Width = 0;  // the playfield's size
    int Height = 0;
    int Pressed = 0;
};

// The event for the game window windowId; none for what the game does not
// hear. Off the playfield (full screen's black border) is off the window: a
// move or press there is dropped, but a drag begun on the playfield goes on
// and ends there, as one beyond the window does.
std::optional<InputEvent> Translate(const SDL_Event& event, std::uint32_t windowId, Pointer& pointer);

}  // namespace platform
