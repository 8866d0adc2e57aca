// How frames reach an SDL window: straight into its own pixels where they are
// laid out as ours, else converted into them; enlarged by a whole number on a
// dense display, each pixel a crisp square; and only the parts that changed
// when that is all that changed.
#pragma once

#include <cstdint>
#include <span>

#include "platform/core/backend.h"
#include "platform/graphics/surface.h"

struct SDL_Surface;
struct SDL_Window;

namespace platform {

// The whole-number scale for a display: what the desktop asks for (GDK_SCALE),
// else its density in steps of the standard 96 dots per inch; 1 when unknown.
int ScaleFor(const char* desktopScale, float dotsPerInch);

// frame enlarged scale times, each pixel a crisp square.
void Enlarge(const Surface& frame, int scale, Surface& out);
// Only area of frame enlarged, into out, which is already scale times frame's
// size.
void EnlargeArea(const Surface& frame, const Rect& area, int scale, Surface& out);

// Copies frame into window's surface and puts it on the screen; false if the
// window has no surface to draw on. With changed given, only those parts:
// the window's surface holds the rest already.
bool ShowOnWindow(SDL_Window* window, const Surface& frame, std::span<const Rect> changed = {});

// The game window's pixels: a frame width x height playfield pixels shown
// scale times enlarged.
class WindowPixels {
public:
    WindowPixels(SDL_Window* window, int width, int height, int scale)
        : window_(window), width_(width), height_(height), scale_(scale)
    {
    }

    int Scale() const { return scale_; }
    // The window's own pixels to compose into, where they are laid out as
    // ours at the standard scale.
    Backend::Canvas Canvas();
    void Present(const Surface& frame, std::span<const Rect> changed);

private:
    // The window's surface. SDL makes it anew after a resize or a move
    // between displays, possibly at the old one's address: each new one is
    // marked as ours when first seen and counted.
    SDL_Surface* WindowSurface();

    SDL_Window* window_;
    int width_;
    int height_;
    int scale_;
    std::uint64_t generation_ = 0;   // window surfaces seen
    std::uint64_t presentedOn_ = 0;  // the one the last frame went to
    std::uint64_t canvasOf_ = 0;     // the one canvas_ views
    Surface canvas_;  // a view of the window surface, when its pixels are ours
    Surface scaled_;  // the frame at the window's scale, when it is not 1
};

}  // namespace platform
