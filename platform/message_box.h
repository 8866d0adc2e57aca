// The game's own modal message box: a second window over the game window with
// the text and one OK button, in the grey dialog look of the old desktop. It
// runs a small event loop of its own in this thread, so that a close request
// or a signal while it is open is seen at once (a box in another process
// would hold the game up until it is dismissed).
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "platform/backend.h"
#include "platform/surface.h"
#include "platform/text.h"

struct SDL_Window;

namespace platform {

struct BoxRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;

    bool Contains(int x, int y) const { return x >= X && y >= Y && x < X + Width && y < Y + Height; }
};

// Where everything of one box goes, worked out from its text.
struct MessageBoxLayout {
    struct Line {
        TextImage Image;
        int X = 0;
        int Y = 0;
    };

    int Width = 0;
    int Height = 0;
    std::vector<Line> Lines;  // the text, broken at "\n" and wrapped at spaces
    BoxRect Button;
    Line Caption;  // "OK", in the button when it is up
};

// The text is broken at its line breaks and wrapped at spaces where a line
// would be wider than the box may grow.
MessageBoxLayout LayOutMessageBox(const TextRenderer& renderer, std::string_view text);

// The client area of the box; pressed draws the button held down.
Surface DrawMessageBox(const MessageBoxLayout& layout, bool pressed);

// Copies frame into window's surface and puts it on the screen; false if the
// window has no surface to draw on. With changed given, only those parts:
// the window's surface holds the rest already.
bool ShowOnWindow(SDL_Window* window, const Surface& frame, std::span<const Rect> changed = {});

// Shows the box modal for owner, centred over it, and returns once it has
// closed. Enter, Space, Escape, a click on OK or the box's own close button
// dismiss it. Input to owner is dropped meanwhile, and owner is repainted
// from its window surface when it is exposed.
BoxResult RunMessageBox(SDL_Window* owner, const TextRenderer& renderer, std::string_view title,
                        std::string_view text);

}  // namespace platform
