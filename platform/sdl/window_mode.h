// The window's scale and full screen: the keys that change them, the fit to
// the screen, and putting the window back where it was.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/sdl/present.h"

struct SDL_Window;

namespace platform {

// What a key does to the window, besides reaching the form as every key does.
enum class WindowKey { None, ToggleFullScreen, ZoomIn, ZoomOut, ZoomDefault };
// F11 and Alt+Enter toggle full screen, once a press; Ctrl with = or + (the
// keypad's too), - and 0 zoom. By key code, so that other layouts work.
// key an SDL_Keycode, modifiers SDL's KMOD_ bits.
WindowKey WindowKeyFor(std::int32_t key, std::uint16_t modifiers, bool repeat);

// What the player changed, to keep for the next run: a zoom (none: back to
// the default), or full screen.
struct WindowChange {
    enum class Kind { Zoom, FullScreen };
    Kind What = Kind::Zoom;
    std::optional<int> Scale;
    bool FullScreen = false;
};

class WindowMode {
public:
    // defaultScale is the density's; scale the one asked for (the player's
    // kept zoom or the command line's), lowered to the largest that fits.
    WindowMode(SDL_Window* window, WindowPixels& pixels, int defaultScale, std::optional<int> scale);

    // The largest scale whose window, frame included, fits the work area of
    // the window's screen (on Wayland, the output).
    int LargestScale() const;

    // Does what key asks; true when the window changed.
    bool Apply(WindowKey key);
    void SetFullScreen(bool fullScreen);
    void OnChange(std::function<void(const WindowChange&)> changed) { changed_ = std::move(changed); }

private:
    void Zoom(int scale);
    void KeepWhole();
    void Changed(const WindowChange& change);

    SDL_Window* window_;
    WindowPixels& pixels_;
    int default_;
    struct Place {
        int X = 0;
        int Y = 0;
    };
    std::optional<Place> placed_;  // where the window stood before full screen
    std::function<void(const WindowChange&)> changed_;
};

}  // namespace platform
