// Preloaded into the game by the real-window tests: the window of a message
// box (the only window titled "Brennow") cannot be created, as when the X
// server refuses it. Every other window opens as usual. With
// BRENNOW_TEST_WAIT_FAILS set, the box opens as usual and instead SDL's
// event queue breaks: every wait for events ends without one, and the queue
// no longer answers.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace {

bool WaitFails()
{
    return std::getenv("BRENNOW_TEST_WAIT_FAILS") != nullptr;
}

// The library's own function, next in the search order after this one.
template <class Function>
Function Next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags)
{
    if (!WaitFails() && title != nullptr && std::strcmp(title, "Brennow") == 0) {
        SDL_SetError("the test refuses the message box's window");
        return nullptr;
    }
    const auto create = Next<SDL_Window* (*)(const char*, int, int, int, int, Uint32)>("SDL_CreateWindow");
    return create != nullptr ? create(title, x, y, w, h, flags) : nullptr;
}

extern "C" int SDL_WaitEventTimeout(SDL_Event* event, int timeout)
{
    if (WaitFails()) {
        SDL_SetError("the test breaks the event queue");
        return 0;
    }
    const auto wait = Next<int (*)(SDL_Event*, int)>("SDL_WaitEventTimeout");
    return wait != nullptr ? wait(event, timeout) : 0;
}

extern "C" int SDL_PeepEvents(SDL_Event* events, int count, SDL_eventaction action, Uint32 first, Uint32 last)
{
    if (WaitFails()) {
        SDL_SetError("the test breaks the event queue");
        return -1;
    }
    const auto peep = Next<int (*)(SDL_Event*, int, SDL_eventaction, Uint32, Uint32)>("SDL_PeepEvents");
    return peep != nullptr ? peep(events, count, action, first, last) : -1;
}
