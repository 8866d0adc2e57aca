// How frames reach an SDL window: straight into its own pixels where they are
// laid out as ours, else converted into them; enlarged by a whole number (a
// dense display, the player's zoom, full screen), each pixel a crisp square;
// centred on black in full screen; and only the parts that changed when that
// is all that changed.
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

// The largest whole-number scale at which width x height fits within
// areaWidth x areaHeight; 1 when even the playfield itself does not.
int FitScale(int width, int height, int areaWidth, int areaHeight);

// Where the playfield stands in its window: enlarged Scale times, its top
// left corner at X, Y.
struct Layout {
    int Scale = 1;
    int X = 0;
    int Y = 0;
    friend bool operator==(const Layout&, const Layout&) = default;
};

// frame enlarged scale times into out, each pixel a crisp square: only the
// areas given, or all of it; out is made scale times frame's size first
// where it is not.
void Enlarge(const Surface& frame, std::span<const Rect> areas, int scale, Surface& out);
// Only area of frame enlarged, into out, which is already scale times frame's
// size (or a view of pixels as large).
void EnlargeArea(const Surface& frame, const Rect& area, int scale, Surface& out);

// Copies frame into window's surface and puts it on the screen; false if the
// window has no surface to draw on. With changed given, only those parts:
// the window's surface holds the rest already.
bool ShowOnWindow(SDL_Window* window, const Surface& frame, std::span<const Rect> changed = {});

// The game window's pixels: a frame width x height playfield pixels shown
// scale times enlarged in a window, or in full screen at the largest scale
// the screen takes, centred.
class WindowPixels {
public:
    WindowPixels(SDL_Window* window, int width, int height, int scale)
        : window_(window), width_(width), height_(height), scale_(scale)
    {
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // The scale in a window, kept while in full screen.
    int Scale() const { return scale_; }
    void SetScale(int scale) { scale_ = scale; }
    bool FullScreen() const { return fullScreen_; }
    void SetFullScreen(bool fullScreen) { fullScreen_ = fullScreen; }
    // Where the playfield stands now: in full screen, from the window's size
    // as SDL last heard it.
    struct Layout Layout() const;
    // Keeps a copy of the frame shown, which ShowAgain shows: the window's
    // own pixels, where frames are composed straight into, go with a change
    // of size.
    void KeepFrame();
    void ShowAgain();
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
    bool fullScreen_ = false;
    bool inPlace_ = false;  // the last frame was composed in canvas_
    std::uint64_t generation_ = 0;   // window surfaces seen
    std::uint64_t presentedOn_ = 0;  // the one the last frame went to
    std::uint64_t canvasOf_ = 0;     // the one canvas_ views
    Surface canvas_;  // a view of the window surface, when its pixels are ours
    Surface scaled_;  // the frame enlarged, when the window's pixels are not laid out as ours
    Surface kept_;    // the frame last shown, but for one composed in place
};

}  // namespace platform
