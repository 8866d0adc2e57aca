// The message box in a second SDL window over the game window. It runs a
// small event loop of its own in this thread, so that a close request or a
// signal while it is open is seen at once (a box in another process would hold
// the game up until it is dismissed).
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "platform/core/backend.h"
#include "platform/core/message_box.h"
#include "platform/graphics/surface.h"
#include "platform/graphics/text.h"
#include "platform/sdl/pads.h"

struct SDL_Window;

namespace platform {

struct WindowDeleter {
    void operator()(SDL_Window* window) const;
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;

// Shows the box modal for owner, centred over it, and returns once it has
// closed. Enter, Space, Escape, a click on OK, A, Start or B on a pad, or
// the box's own close button dismiss it. Input to owner is dropped
// meanwhile, and owner is repainted from its window surface when it is
// exposed. The pads are read on now's clock. The box's window is made in
// box, and left there, hidden, where the window system keeps it for the next
// box.
BoxResult RunMessageBox(SDL_Window* owner, WindowPtr& box, const TextRenderer& renderer, std::string_view title,
                        std::string_view text, SdlPads& pads, const std::function<Time()>& now);

}  // namespace platform
