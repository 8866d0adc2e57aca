// Preloaded into the game by the real-window tests: the window of a message
// box (the only window titled "Brennow") cannot be created, as when the X
// server refuses it. Every other window opens as usual.
#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

extern "C" SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags)
{
    if (title != nullptr && std::strcmp(title, "Brennow") == 0) {
        SDL_SetError("the test refuses the message box's window");
        return nullptr;
    }
    using Create = SDL_Window* (*)(const char*, int, int, int, int, Uint32);
    // The library's own function, next in the search order after this one.
    const auto create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "SDL_CreateWindow"));
    return create != nullptr ? create(title, x, y, w, h, flags) : nullptr;
}
