// The page's input as the game's or the box's: keys and the focus through
// emscripten's html5 API, the mouse and the finger through the page's
// pointer events (pointer.js). The listeners only queue and wake the wait.
#pragma once

#include "platform/web/pointer_codes.h"

namespace platform {

class WebBackend;

// A pointer event from the page: the mouse's or a finger's, at a point of
// the page, with the buttons as the page's events give them (button 0 the
// main one, 1 the middle, 2 the other; buttons their bits held).
struct PointerInput {
    PointerTarget On = PointerTarget::Playfield;
    PointerKind What = PointerKind::Move;
    double ClientX = 0;
    double ClientY = 0;
    int Button = 0;
    int Buttons = 0;
    bool ShiftKey = false;
    bool CtrlKey = false;
    bool AltKey = false;
    bool Finger = false;
};

// Starts and stops listening to the page's keys, focus and pointers for
// backend; false when the page gives no keys.
bool ListenToPage(WebBackend& backend);
void StopListening();

// A pointer event, to the box while it is open, else to the game.
void TakePointer(WebBackend& backend, const PointerInput& input);

}  // namespace platform
