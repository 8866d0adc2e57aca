#include "platform/sdl/input_age.h"

#include <SDL.h>

namespace platform {

bool InputAge::Keep(const SDL_Event& event) const
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL:
        break;
    default:
        return true;
    }
    if (!made_ || !dropUntil_) {
        return true;
    }
    // The clock wraps after 49 days: what counts is which came first.
    return static_cast<std::int32_t>(*made_ - *dropUntil_) > 0;
}

}  // namespace platform
