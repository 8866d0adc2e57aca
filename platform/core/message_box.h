// The game's own modal message box, in the grey dialog look of the old
// desktop: where its text and OK button go, its pixels, and what its OK
// button makes of input. Each backend shows the pixels in its own way and
// feeds the button the input it gets.
#pragma once

#include <string_view>
#include <vector>

#include "platform/core/gamepad.h"
#include "platform/graphics/surface.h"
#include "platform/graphics/text.h"

namespace platform {

// Whether a key (the old desktop's code) dismisses the box: Enter, Space and
// Escape, as the old desktop's default button took them.
bool DismissesBox(int virtualKey);

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
    Rect Button;
    Line Caption;  // "OK", in the button when it is up
};

// The text is broken at its line breaks and wrapped at spaces where a line
// would be wider than the box may grow.
MessageBoxLayout LayOutMessageBox(const TextRenderer& renderer, std::string_view text);

// Where OK is in a box's client area of that size: centred, at the foot.
Rect MessageBoxButtonPlace(int width, int height);

// The client area of the box; pressed draws the button held down.
Surface DrawMessageBox(const MessageBoxLayout& layout, bool pressed);

// The OK button's behaviour, as the old desktop's push button had it. A press
// of the left button on OK holds it, and it shows held down only while the
// pointer is over it; letting go over OK dismisses the box, anywhere else
// lets the button go. Enter, Space and Escape dismiss the box, but not when
// they repeat: a key held since before the box opened must not close it. On
// a pad, pressing A, Start or B dismisses it; a pad's other input is dropped.
// Positions are box pixels; a backend passes one outside the box for a
// release off it.
class MessageBoxButton {
public:
    enum class Outcome {
        None,     // nothing to show
        Redraw,   // draw the box again, the button as Pressed() says
        Dismiss,  // the box is done
    };

    explicit MessageBoxButton(const Rect& button) : button_(button) {}

    Outcome PointerDown(int x, int y);  // the left button, or a finger
    Outcome PointerMove(int x, int y);
    Outcome PointerUp(int x, int y);
    // The system took the pointer away (a touch cancelled): no click.
    Outcome PointerCancel();
    // A key, as the old desktop's virtual-key code.
    Outcome Key(int virtualKey, bool repeat);
    // A pad's control pressed or let go.
    Outcome Pad(const PadEvent& event);

    bool Pressed() const { return held_ && over_; }

private:
    Rect button_;
    bool held_ = false;  // pressed on OK and not yet let go
    bool over_ = false;  // and the pointer is over OK now
};

}  // namespace platform
