// The game's own modal message box, in the grey dialog look of the old
// desktop: where its text and OK button go, and its pixels. Each backend shows
// these pixels in its own way.
#pragma once

#include <string_view>
#include <vector>

#include "platform/backend.h"
#include "platform/surface.h"
#include "platform/text.h"

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

}  // namespace platform
