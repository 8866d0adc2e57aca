#include "platform/sdl/window_mode.h"

#include <SDL.h>

#include <algorithm>

#include "platform/sdl/window_system.h"

namespace platform {

namespace {

struct Borders {
    int Top = 0;
    int Left = 0;
    int Bottom = 0;
    int Right = 0;
};

// The frame around the client area; none where the window system does not
// tell (Wayland, or before the window manager framed the window).
Borders BordersOf(SDL_Window* window)
{
    Borders borders;
    if (SDL_GetWindowBordersSize(window, &borders.Top, &borders.Left, &borders.Bottom, &borders.Right) != 0) {
        return {};
    }
    return borders;
}

// The work area of the window's screen: without the panels and docks; on
// Wayland, the output.
std::optional<SDL_Rect> WorkArea(SDL_Window* window)
{
    const int display = std::max(SDL_GetWindowDisplayIndex(window), 0);
    SDL_Rect area{};
    if (SDL_GetDisplayUsableBounds(display, &area) != 0 && SDL_GetDisplayBounds(display, &area) != 0) {
        return std::nullopt;
    }
    return area;
}

}  // namespace

WindowKey WindowKeyFor(std::int32_t key, std::uint16_t modifiers, bool repeat)
{
    if (key == SDLK_F11 || ((key == SDLK_RETURN || key == SDLK_KP_ENTER) && (modifiers & KMOD_ALT) != 0)) {
        return repeat ? WindowKey::None : WindowKey::ToggleFullScreen;
    }
    if ((modifiers & KMOD_CTRL) == 0) {
        return WindowKey::None;
    }
    switch (key) {
    case SDLK_EQUALS:
    case SDLK_PLUS:
    case SDLK_KP_PLUS:
        return WindowKey::ZoomIn;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        return WindowKey::ZoomOut;
    case SDLK_0:
        return WindowKey::ZoomDefault;
    default:
        return WindowKey::None;
    }
}

WindowMode::WindowMode(SDL_Window* window, WindowPixels& pixels, int defaultScale, std::optional<int> scale)
    : window_(window), pixels_(pixels)
{
    const int largest = LargestScale();
    default_ = std::clamp(defaultScale, 1, largest);
    Zoom(scale ? std::min(*scale, largest) : default_);
}

int WindowMode::LargestScale() const
{
    const std::optional<SDL_Rect> area = WorkArea(window_);
    if (!area) {
        return pixels_.Scale();
    }
    const Borders borders = BordersOf(window_);
    return FitScale(pixels_.Width(), pixels_.Height(), area->w - borders.Left - borders.Right,
                    area->h - borders.Top - borders.Bottom);
}

bool WindowMode::Apply(WindowKey key)
{
    const int scale = pixels_.Scale();
    switch (key) {
    case WindowKey::None:
        return false;
    case WindowKey::ToggleFullScreen:
        SetFullScreen(!pixels_.FullScreen());
        return true;
    default:
        break;
    }
    if (pixels_.FullScreen()) {
        return false;  // the screen decides the scale there
    }
    if (key == WindowKey::ZoomDefault) {
        const int back = std::min(default_, LargestScale());
        Zoom(back);
        Changed({.What = WindowChange::Kind::Zoom});
        return true;
    }
    const int next = key == WindowKey::ZoomIn ? scale + 1 : scale - 1;
    if (next < 1 || (key == WindowKey::ZoomIn && next > LargestScale())) {
        return false;  // past either end
    }
    Zoom(next);
    Changed({.What = WindowChange::Kind::Zoom, .Scale = next});
    return true;
}

void WindowMode::Zoom(int scale)
{
    if (scale == pixels_.Scale()) {
        return;
    }
    const bool grows = scale > pixels_.Scale();
    pixels_.SetScale(scale);
    SDL_SetWindowSize(window_, pixels_.Width() * scale, pixels_.Height() * scale);
    if (grows && (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0) {
        KeepWhole();
    }
}

void WindowMode::KeepWhole()
{
    const std::optional<SDL_Rect> area = WorkArea(window_);
    if (!area) {
        return;
    }
    const Borders borders = BordersOf(window_);
    SDL_Point at{};
    SDL_GetWindowPosition(window_, &at.x, &at.y);
    const int width = pixels_.Width() * pixels_.Scale();
    const int height = pixels_.Height() * pixels_.Scale();
    SDL_Point moved = at;
    moved.x = std::max(std::min(moved.x, area->x + area->w - width - borders.Right), area->x + borders.Left);
    moved.y = std::max(std::min(moved.y, area->y + area->h - height - borders.Bottom), area->y + borders.Top);
    if (moved.x != at.x || moved.y != at.y) {
        SDL_SetWindowPosition(window_, moved.x, moved.y);
    }
}

void WindowMode::SetFullScreen(bool fullScreen)
{
    if (fullScreen == pixels_.FullScreen()) {
        return;
    }
    if (fullScreen) {
        placed_.reset();
        if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0) {
            Place at;
            SDL_GetWindowPosition(window_, &at.X, &at.Y);
            placed_ = at;
        }
        window_system::ForFullScreen(window_);
        if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            window_system::OnlyCloseButton(window_);
            return;
        }
        pixels_.SetFullScreen(true);
    } else {
        SDL_SetWindowFullscreen(window_, 0);
        pixels_.SetFullScreen(false);
        // Leaving full screen gives the window SDL's own frame again: only
        // the close button, at the scale it had, where it stood.
        window_system::OnlyCloseButton(window_);
        SDL_SetWindowSize(window_, pixels_.Width() * pixels_.Scale(), pixels_.Height() * pixels_.Scale());
        if (placed_) {
            SDL_SetWindowPosition(window_, placed_->X, placed_->Y);
        }
    }
    Changed({.What = WindowChange::Kind::FullScreen, .FullScreen = fullScreen});
}

void WindowMode::Changed(const WindowChange& change)
{
    if (changed_) {
        changed_(change);
    }
}

}  // namespace platform
