#include "platform/sdl/present.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// Whether surface is laid out as our pixels, at width x height.
bool LaidOutAsOurs(const SDL_Surface* surface, int width, int height)
{
    return surface != nullptr && surface->format->format == SDL_PIXELFORMAT_RGB888 && surface->w == width &&
           surface->h == height && surface->pitch % static_cast<int>(sizeof(Pixel)) == 0;
}

Surface ViewOf(SDL_Surface* surface)
{
    return Surface::View(static_cast<Pixel*>(surface->pixels), surface->w, surface->h,
                         surface->pitch / static_cast<int>(sizeof(Pixel)));
}

// Converts the part of from that lands on area of target, from standing at
// (x, y) of target, into target's pixels.
void CopyInto(SDL_Surface* target, const Rect& area, const Surface& from, int x, int y)
{
    if (area.Empty()) {
        return;
    }
    const int bytes = SDL_BYTESPERPIXEL(target->format->format);
    SDL_ConvertPixels(area.Width, area.Height, SDL_PIXELFORMAT_RGB888, from.Row(area.Y - y) + (area.X - x),
                      from.Width() * static_cast<int>(sizeof(Pixel)), target->format->format,
                      static_cast<Uint8*>(target->pixels) + area.Y * target->pitch + area.X * bytes, target->pitch);
}

std::vector<SDL_Rect> SdlRects(std::span<const Rect> areas)
{
    std::vector<SDL_Rect> rects;
    rects.reserve(areas.size());
    for (const Rect& area : areas) {
        rects.push_back({area.X, area.Y, area.Width, area.Height});
    }
    return rects;
}

}  // namespace

int ScaleFor(const char* desktopScale, float dotsPerInch)
{
    constexpr int kLargest = 8;
    if (desktopScale != nullptr && *desktopScale != '\0') {
        char* end = nullptr;
        const long asked = std::strtol(desktopScale, &end, 10);
        if (*end == '\0' && asked >= 1) {
            return static_cast<int>(std::min<long>(asked, kLargest));
        }
    }
    if (!(dotsPerInch > 0) || dotsPerInch > 96.0F * kLargest) {
        return 1;  // unknown, or not believable
    }
    // Three quarters of a step up count as a step: 168 dots per inch give 2,
    // 264 give 3, and a display a little denser than the standard keeps its
    // pixels one to one.
    return std::clamp(static_cast<int>((dotsPerInch + 24.0F) / 96.0F), 1, kLargest);
}

int FitScale(int width, int height, int areaWidth, int areaHeight)
{
    if (width <= 0 || height <= 0) {
        return 1;
    }
    return std::max(1, std::min(areaWidth / width, areaHeight / height));
}

void EnlargeArea(const Surface& frame, const Rect& area, int scale, Surface& out)
{
    const Rect part = area.Intersect(frame.Bounds()).Intersect(
        {0, 0, out.Width() / scale, out.Height() / scale});
    for (int y = part.Y; y < part.Y + part.Height; ++y) {
        const Pixel* in = frame.Row(y) + part.X;
        Pixel* first = out.Row(y * scale) + part.X * scale;
        for (int x = 0; x < part.Width; ++x) {
            std::fill_n(first + x * scale, scale, in[x]);
        }
        for (int copy = 1; copy < scale; ++copy) {
            std::copy_n(first, part.Width * scale, out.Row(y * scale + copy) + part.X * scale);
        }
    }
}

void Enlarge(const Surface& frame, std::span<const Rect> areas, int scale, Surface& out)
{
    if (out.Width() != frame.Width() * scale || out.Height() != frame.Height() * scale) {
        out = Surface(frame.Width() * scale, frame.Height() * scale);
    }
    if (areas.empty()) {
        EnlargeArea(frame, frame.Bounds(), scale, out);
    }
    for (const Rect& area : areas) {
        EnlargeArea(frame, area, scale, out);
    }
}

bool ShowOnWindow(SDL_Window* window, const Surface& frame, std::span<const Rect> changed)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr) {
        return false;
    }
    const Rect all = frame.Bounds().Intersect({0, 0, target->w, target->h});
    if (changed.empty()) {
        CopyInto(target, all, frame, 0, 0);
        return SDL_UpdateWindowSurface(window) == 0;
    }
    std::vector<Rect> parts;
    parts.reserve(changed.size());
    for (const Rect& area : changed) {
        if (const Rect part = area.Intersect(all); !part.Empty()) {
            CopyInto(target, part, frame, 0, 0);
            parts.push_back(part);
        }
    }
    const std::vector<SDL_Rect> rects = SdlRects(parts);
    return rects.empty() || SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size())) == 0;
}

SDL_Surface* WindowPixels::WindowSurface()
{
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface != nullptr && surface->userdata != this) {
        surface->userdata = this;
        ++generation_;
    }
    return surface;
}

Layout WindowPixels::Layout() const
{
    if (!fullScreen_) {
        return {scale_, 0, 0};
    }
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    const int scale = FitScale(width_, height_, width, height);
    return {scale, std::max(0, (width - width_ * scale) / 2), std::max(0, (height - height_ * scale) / 2)};
}

Backend::Canvas WindowPixels::Canvas()
{
    SDL_Surface* target = scale_ == 1 && !fullScreen_ ? WindowSurface() : nullptr;
    if (!LaidOutAsOurs(target, width_, height_)) {
        return {};
    }
    if (canvasOf_ != generation_ || canvas_.Width() == 0) {
        canvas_ = ViewOf(target);
        canvasOf_ = generation_;
    }
    return {&canvas_, generation_};
}

void WindowPixels::KeepFrame()
{
    if (inPlace_ && canvasOf_ == generation_ && canvas_.Width() > 0) {
        kept_ = canvas_;  // a copy owns its pixels
    }
}

void WindowPixels::ShowAgain()
{
    if (kept_.Width() > 0) {
        Present(kept_, {});
    }
}

void WindowPixels::Present(const Surface& frame, std::span<const Rect> changed)
{
    SDL_Surface* target = WindowSurface();
    if (&frame == &canvas_ && canvasOf_ == generation_) {
        // Composed in place: only tell the window system what changed.
        presentedOn_ = generation_;
        inPlace_ = true;
        const std::vector<SDL_Rect> rects = SdlRects(changed);
        if (rects.empty()) {
            SDL_UpdateWindowSurface(window_);
        } else {
            SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
        }
        return;
    }
    inPlace_ = false;
    // A window surface made anew holds nothing of the frame before: it needs
    // all of it.
    if (presentedOn_ != generation_) {
        changed = {};
        presentedOn_ = generation_;
    }
    if (&frame != &kept_) {
        Enlarge(frame, changed, 1, kept_);  // into the copy kept, made anew only for a new size
    }
    const struct Layout at = Layout();
    if (at == platform::Layout{}) {
        ShowOnWindow(window_, frame, changed);
        return;
    }
    if (target == nullptr) {
        return;
    }
    // Enlarged, only what changed: a tick then costs about what it does at
    // the standard scale. Straight into the window's pixels where they are
    // laid out as ours, else through a copy at the window's scale.
    const int scale = at.Scale;
    std::vector<Rect> areas(changed.begin(), changed.end());
    if (areas.empty()) {
        areas.push_back(frame.Bounds());
        if (fullScreen_) {
            // The letterbox, black, wherever the playfield is not.
            SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0, 0, 0));
        }
    }
    const Rect window{0, 0, target->w, target->h};
    std::vector<Rect> enlarged;
    enlarged.reserve(areas.size());
    for (const Rect& area : areas) {
        enlarged.push_back(
            Rect{at.X + area.X * scale, at.Y + area.Y * scale, area.Width * scale, area.Height * scale}.Intersect(
                window));
    }
    if (LaidOutAsOurs(target, target->w, target->h) && at.X + width_ * scale <= target->w &&
        at.Y + height_ * scale <= target->h) {
        const int pitch = target->pitch / static_cast<int>(sizeof(Pixel));
        Surface playfield = Surface::View(static_cast<Pixel*>(target->pixels) + at.Y * pitch + at.X,
                                          width_ * scale, height_ * scale, pitch);
        for (const Rect& area : areas) {
            EnlargeArea(frame, area, scale, playfield);
        }
    } else {
        Enlarge(frame, areas, scale, scaled_);
        for (const Rect& to : enlarged) {
            CopyInto(target, to, scaled_, at.X, at.Y);
        }
    }
    if (changed.empty()) {
        SDL_UpdateWindowSurface(window_);
        return;
    }
    const std::vector<SDL_Rect> rects = SdlRects(enlarged);
    SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
}

}  // namespace platform
