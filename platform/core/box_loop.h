// The modal message box's own loop, the same for every backend that shows
// one: lay the box out and draw it, feed its OK button what the box gets,
// draw it again when the button changes, and end when the box is done. A
// backend gives only what its platform does, through BoxWindow: a window for
// the box, the box's input, and its pixels on the screen.
#pragma once

#include <optional>
#include <string_view>
#include <variant>

#include "platform/core/backend.h"
#include "platform/core/gamepad.h"
#include "platform/graphics/surface.h"
#include "platform/graphics/text.h"

namespace platform {

// The left button or a finger on the box, at a pixel of the box's client
// area; a release off the box is at a pixel outside it (kOffBox).
struct BoxPointer {
    enum Kind { Down, Move, Up, Cancel } What = Move;
    int X = 0;
    int Y = 0;
};
inline constexpr int kOffBox = -1;
// A key pressed while the box has the focus, as the old desktop's code.
struct BoxKey {
    int VirtualKey = 0;
    bool Repeat = false;  // held since before, repeating
};
// The box's window lost what was drawn in it: show the pixels again.
struct BoxRepaint {};
// The box ended from outside its button: its own close button (Dismissed), or
// the game window's close or a signal (Quit).
struct BoxEnd {
    BoxResult Result = BoxResult::Dismissed;
};
// A pad's control pressed or let go (PadEvent) is input to the box too.
using BoxInput = std::variant<BoxPointer, BoxKey, PadEvent, BoxRepaint, BoxEnd>;

// What a backend's platform does for the box.
class BoxWindow {
public:
    virtual ~BoxWindow() = default;
    // Opens the box's window with title, placed over the game, showing
    // pixels, the box's client area at its size. False when it cannot be
    // shown; nothing of it is left open then.
    virtual bool Open(std::string_view title, const Surface& pixels) = 0;
    // Shows pixels in the open box.
    virtual void Show(const Surface& pixels) = 0;
    // Waits for the box's next input until deadline (none: no limit), doing
    // meanwhile whatever else the platform must; nothing once the deadline
    // has passed without any.
    virtual std::optional<BoxInput> Next(std::optional<Time> deadline) = 0;
    // Closes the open box, or hides it where its window is kept for the next.
    virtual void Close() = 0;
};

// Shows the box with title and text through window and returns once it is
// done: Dismissed by its button, keys, a pad or its close button; NotShown
// when it could not be opened; Quit when the program was told to end; and
// TimedOut when deadline (a time of the backend's clock) came first, as a
// replay closes a box at the time it was closed when recorded. The box is
// closed however the loop ends, an exception included.
BoxResult RunMessageBox(BoxWindow& window, const TextRenderer& renderer, std::string_view title,
                        std::string_view text, std::optional<Time> deadline = std::nullopt);

}  // namespace platform
