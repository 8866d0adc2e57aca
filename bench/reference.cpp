// The least an SDL2 program can do that opens a window the way the game does:
// the same hints, video only, a hidden window shown once made, a software
// window surface. It presents a black frame and then waits for events.
//   brennow_reference [--fps64]
// With --fps64 it also presents a whole frame 64 times a second, waiting
// blocked until each deadline as the game's loop does: what a round costs at
// the least.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr int kWidth = 464;
constexpr int kHeight = 349;
constexpr std::chrono::nanoseconds kPeriod = std::chrono::microseconds(15625);

struct Sdl {
    Sdl() { ok = SDL_Init(SDL_INIT_VIDEO) == 0; }
    ~Sdl() { SDL_Quit(); }
    Sdl(const Sdl&) = delete;
    Sdl& operator=(const Sdl&) = delete;
    bool ok = false;
};

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};

// As the game presents a frame: converted into the window surface whole.
void Present(SDL_Window* window, const std::vector<std::uint32_t>& frame)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr) {
        return;
    }
    SDL_ConvertPixels(std::min(kWidth, target->w), std::min(kHeight, target->h), SDL_PIXELFORMAT_RGB888, frame.data(),
                      kWidth * static_cast<int>(sizeof(std::uint32_t)), target->format->format, target->pixels,
                      target->pitch);
    SDL_UpdateWindowSurface(window);
}

// Handles one event; false when the program is to end.
bool Handle(const SDL_Event& event, SDL_Window* window, const std::vector<std::uint32_t>& frame)
{
    if (event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        return false;
    }
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
        Present(window, frame);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool fps64 = argc > 1 && std::string_view(argv[1]) == "--fps64";
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_PING, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_getenv("SDL_VIDEODRIVER") == nullptr && SDL_getenv("WAYLAND_DISPLAY") == nullptr) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    Sdl sdl;
    if (!sdl.ok) {
        std::fprintf(stderr, "brennow_reference: %s\n", SDL_GetError());
        return 1;
    }
    std::unique_ptr<SDL_Window, WindowDeleter> window(SDL_CreateWindow(
        "brennow reference", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth, kHeight, SDL_WINDOW_HIDDEN));
    if (!window) {
        std::fprintf(stderr, "brennow_reference: %s\n", SDL_GetError());
        return 1;
    }
    SDL_ShowWindow(window.get());
    const std::vector<std::uint32_t> frame(static_cast<std::size_t>(kWidth) * kHeight, 0);
    Present(window.get(), frame);

    SDL_Event event;
    if (!fps64) {
        while (SDL_WaitEvent(&event) != 0) {
            if (!Handle(event, window.get(), frame)) {
                break;
            }
        }
        return 0;
    }
    using Clock = std::chrono::steady_clock;
    Clock::time_point next = Clock::now() + kPeriod;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
        const int got = left > 0 ? SDL_WaitEventTimeout(&event, static_cast<int>(left)) : SDL_PollEvent(&event);
        if (got != 0 && !Handle(event, window.get(), frame)) {
            break;
        }
        const Clock::time_point now = Clock::now();
        if (now >= next) {
            Present(window.get(), frame);
            next += kPeriod;
            if (next <= now) {
                next = now + kPeriod;  // fallen a whole period behind: no burst
            }
        }
    }
    return 0;
}
