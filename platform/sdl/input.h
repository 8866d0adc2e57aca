// SDL's events as the runtime's input events: positions in playfield pixels,
// keys as the old desktop's codes, shift and button state as the handlers
// receive them.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/core/backend.h"

union SDL_Event;

namespace platform {

// The event for the game window windowId, shown scale times enlarged; none
// for what the game does not hear.
std::optional<InputEvent> Translate(const SDL_Event& event, std::uint32_t windowId, int scale);

}  // namespace platform
