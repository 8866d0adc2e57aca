// The virtual-key code the old desktop gave for an SDL key-down.
#pragma once

#include <SDL_keyboard.h>

namespace platform {

// Letters by the character the active layout puts on the key; every other
// key by its place on the keyboard, the keypad by NumLock in mod. A key the
// old desktop had no code for gives vk::NoCode: it still reaches the form.
int VirtualKeyCode(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod);

inline int VirtualKeyCode(const SDL_Keysym& key)
{
    return VirtualKeyCode(key.scancode, key.sym, key.mod);
}

}  // namespace platform
