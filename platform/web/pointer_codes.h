// What the page's pointer listeners (pointer.js) tell the web backend: on
// which element, and what happened. The page's script takes these numbers
// from this file, written into a library of its own at build time
// (cmake/JsCodes.cmake), so that they are written once: keep each enum in
// this form, one "Name = number," a line.
#pragma once

#include "platform/core/backend.h"

namespace platform {

enum class PointerTarget : int {
    Playfield = 0,
    Box = 1,
};

enum class PointerKind : int {
    Move = 0,
    Down = 1,
    Up = 2,
    Cancel = 3,
};

// The game's bit for a page's button (0 the main one, 1 the middle, 2 the
// other); 0 for one the game has no bit for.
constexpr int GameButton(int pageButton)
{
    switch (pageButton) {
    case 0:
        return kLeftButton;
    case 1:
        return kMiddleButton;
    case 2:
        return kRightButton;
    default:
        return 0;
    }
}

// The game's bits for a page's buttons held (1 the main one, 2 the other, 4
// the middle).
constexpr int GameButtons(int pageButtons)
{
    return ((pageButtons & 1) != 0 ? kLeftButton : 0) | ((pageButtons & 2) != 0 ? kRightButton : 0) |
           ((pageButtons & 4) != 0 ? kMiddleButton : 0);
}

}  // namespace platform
