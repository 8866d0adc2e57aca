// The message box in a second SDL window over the game window: the platform's
// part of the box loop (core/box_loop.h). The loop runs in this thread, so
// that a close request or a signal while the box is open is seen at once (a
// box in another process would hold the game up until it is dismissed).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/core/box_loop.h"
#include "platform/graphics/surface.h"
#include "platform/sdl/pads.h"
#include "platform/sdl/present.h"
#include "platform/sdl/wait.h"
#include "platform/sdl/window_mode.h"

struct SDL_Window;

namespace platform {

struct WindowDeleter {
    void operator()(SDL_Window* window) const;
};
using WindowPtr = std::unique_ptr<SDL_Window, WindowDeleter>;

// The box modal for owner, centred over it, enlarged as owner's playfield
// (game) is. Enter, Space, Escape, a click on OK, A, Start or B on a pad, or
// the box's own close button dismiss it; the game window's close, or a
// signal, ends it with Quit. Input to owner is dropped meanwhile, owner is
// repainted from the frame game keeps when it is exposed, and the box is
// raised when owner gets the focus. F11, Alt+Enter and the zoom keys change
// mode, not the box: owner and the box are drawn again at the new scale.
// The pads are read on now's clock. The box's window is made in box, and
// left there, hidden, where the window system keeps it for the next box.
class SdlBoxWindow final : public BoxWindow {
public:
    SdlBoxWindow(SDL_Window* owner, WindowPtr& box, WindowPixels& game, WindowMode& mode, SdlPads& pads,
                 std::function<Time()> now)
        : owner_(owner), box_(box), game_(game), mode_(mode), input_(pads, std::move(now))
    {
    }

    bool Open(std::string_view title, const Surface& pixels) override;
    void Show(const Surface& pixels) override;
    std::optional<BoxInput> Next(std::optional<Time> deadline) override;
    void Close() override;

private:
    // What an event means to the box; none for what it drops.
    std::optional<BoxInput> Take(const SDL_Event& event);
    // Sizes and places the box for the playfield's scale now.
    void Fit();

    SDL_Window* owner_;
    WindowPtr& box_;
    WindowPixels& game_;
    WindowMode& mode_;
    int scale_ = 1;
    Surface pixels_;   // the box's, as the loop drew them
    Surface enlarged_;
    EventsAndPads input_;
    std::uint32_t boxId_ = 0;
    std::uint32_t ownerId_ = 0;
};

}  // namespace platform
