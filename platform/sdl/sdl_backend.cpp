#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/sdl/keys.h"
#include "platform/sdl/message_box_window.h"
#include "platform/sdl/window_system.h"

namespace platform {

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

int ShiftState(Uint16 mod)
{
    int shift = 0;
    if ((mod & KMOD_SHIFT) != 0) {
        shift |= kShift;
    }
    if ((mod & KMOD_CTRL) != 0) {
        shift |= kCtrl;
    }
    if ((mod & KMOD_ALT) != 0) {
        shift |= kAlt;
    }
    return shift;
}

int ButtonBit(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return kLeftButton;
    case SDL_BUTTON_RIGHT:
        return kRightButton;
    case SDL_BUTTON_MIDDLE:
        return kMiddleButton;
    default:
        return 0;
    }
}

int ButtonMask(Uint32 state)
{
    int buttons = 0;
    if ((state & SDL_BUTTON_LMASK) != 0) {
        buttons |= kLeftButton;
    }
    if ((state & SDL_BUTTON_RMASK) != 0) {
        buttons |= kRightButton;
    }
    if ((state & SDL_BUTTON_MMASK) != 0) {
        buttons |= kMiddleButton;
    }
    return buttons;
}

// A window coordinate in playfield pixels.
float Playfield(Sint32 coordinate, int scale)
{
    return static_cast<float>(std::floor(static_cast<double>(coordinate) / scale));
}

std::optional<InputEvent> Translate(const SDL_Event& event, Uint32 windowId, int scale)
{
    switch (event.type) {
    case SDL_QUIT:
        return CloseEvent{};
    case SDL_WINDOWEVENT:
        if (event.window.windowID != windowId) {
            return std::nullopt;
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            return CloseEvent{};
        }
        switch (event.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
        // On Wayland a frame presented before the compositor has configured
        // the window can be lost, and no expose follows: show it again once
        // the window is shown or its surface made anew.
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        // Wayland: the compositor tells a window it is active or no longer
        // is by a new configuration, and the frame around the window takes
        // it up only with the window's next frame (until then the compositor
        // may show the window black). The game shows a new frame only when
        // something changed, so it shows one here.
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return ExposeEvent{};
        default:
            return std::nullopt;
        }
    case SDL_MOUSEMOTION:
        return MouseMoveEvent{Playfield(event.motion.x, scale), Playfield(event.motion.y, scale),
                              ButtonMask(event.motion.state), ShiftState(static_cast<Uint16>(SDL_GetModState()))};
    case SDL_MOUSEBUTTONDOWN:
        return MouseDownEvent{Playfield(event.button.x, scale), Playfield(event.button.y, scale),
                              ButtonBit(event.button.button), ShiftState(static_cast<Uint16>(SDL_GetModState()))};
    case SDL_MOUSEBUTTONUP:
        return MouseUpEvent{Playfield(event.button.x, scale), Playfield(event.button.y, scale),
                            ButtonBit(event.button.button), ShiftState(static_cast<Uint16>(SDL_GetModState()))};
    case SDL_KEYDOWN:
        return KeyDownEvent{VirtualKeyCode(event.key.keysym), ShiftState(event.key.keysym.mod)};
    default:
        return std::nullopt;
    }
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

void Enlarge(const Surface& frame, int scale, Surface& out)
{
    if (out.Width() != frame.Width() * scale || out.Height() != frame.Height() * scale) {
        out = Surface(frame.Width() * scale, frame.Height() * scale);
    }
    EnlargeArea(frame, frame.Bounds(), scale, out);
}

void ReportFailure(std::string_view title, std::string_view reason)
{
    const std::string caption(title);
    const std::string text(reason);
    std::fprintf(stderr, "brennow: %s\n", text.c_str());
    window_system::ReportFailure(caption.c_str(), text.c_str());
}

SdlBackend::SdlBackend(std::string_view caption, int width, int height, std::span<const unsigned char> icon,
                       const TextRenderer& text)
    : text_(text), width_(width), height_(height), start_(std::chrono::steady_clock::now())
{
    // The click that activates the window counts, as it did on the old desktop.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    window_system::StartVideo();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    const std::string driver = SDL_GetCurrentVideoDriver();
    if (requested == nullptr && (driver == "offscreen" || driver == "dummy")) {
        // SDL falls back to an invisible driver; a game nobody can see would
        // run until killed.
        SDL_Quit();
        throw std::runtime_error("cannot open the display: no X11 or Wayland display answers");
    }
    const std::string title(caption);
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                               SDL_WINDOW_HIDDEN);
    if (window_ == nullptr) {
        const std::string reason = SDL_GetError();
        SDL_Quit();
        throw std::runtime_error("cannot open the window: " + reason);
    }
    // On a dense display the playfield is shown larger, with crisp pixels;
    // the game still sees its own pixels. Never larger than the screen.
    const int display = std::max(SDL_GetWindowDisplayIndex(window_), 0);
    float dotsPerInch = window_system::DotsPerInch(window_);
    if (dotsPerInch == 0) {
        SDL_GetDisplayDPI(display, nullptr, &dotsPerInch, nullptr);
    }
    scale_ = ScaleFor(SDL_getenv("GDK_SCALE"), dotsPerInch);
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display, &usable) == 0) {
        while (scale_ > 1 && (width * scale_ > usable.w || height * scale_ > usable.h)) {
            --scale_;
        }
    }
    if (scale_ > 1) {
        SDL_SetWindowSize(window_, width * scale_, height * scale_);
    }
    if (!icon.empty()) {
        SDL_RWops* rw = SDL_RWFromConstMem(icon.data(), static_cast<int>(icon.size()));
        std::unique_ptr<SDL_Surface, SurfaceDeleter> picture(IMG_Load_RW(rw, 1));
        if (picture) {
            SDL_SetWindowIcon(window_, picture.get());
        }
    }
    window_system::OnlyCloseButton(window_);
}

void SdlBackend::ShowWindow()
{
    if (!shown_) {
        window_system::Show(window_);
        shown_ = true;
    }
}

SdlBackend::~SdlBackend()
{
    // The game window first: hiding it waits for the compositor's answer,
    // which may speak to the box's frame (see KeepsDialogs). The box is
    // hidden already, and destroying it then waits for nothing.
    SDL_DestroyWindow(window_);
    box_.reset();
    SDL_Quit();
}

Time SdlBackend::Now()
{
    return std::chrono::duration_cast<Time>(std::chrono::steady_clock::now() - start_);
}

std::optional<InputEvent> SdlBackend::WaitEvent(std::optional<Time> deadline)
{
    SDL_Event event;
    int got = 0;
    if (!deadline) {
        got = SDL_WaitEvent(&event);
    } else {
        const Time left = *deadline - Now();
        if (left <= Time::zero()) {
            got = SDL_PollEvent(&event);
        } else {
            // Whole milliseconds, rounded up: waking early would only loop.
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
            got = SDL_WaitEventTimeout(&event, static_cast<int>(std::min<long long>(ms, INT32_MAX)));
        }
    }
    if (got == 0) {
        return std::nullopt;
    }
    return Translate(event, SDL_GetWindowID(window_), scale_);
}

Surface* SdlBackend::Canvas()
{
    SDL_Surface* target = scale_ == 1 ? SDL_GetWindowSurface(window_) : nullptr;
    if (target == nullptr || target->format->format != SDL_PIXELFORMAT_RGB888 || target->w != width_ ||
        target->h != height_ || target->pitch % static_cast<int>(sizeof(Pixel)) != 0) {
        return nullptr;
    }
    auto* pixels = static_cast<Pixel*>(target->pixels);
    if (canvas_.Width() == 0 || canvas_.Row(0) != pixels) {
        canvas_ = Surface::View(pixels, target->w, target->h, target->pitch / static_cast<int>(sizeof(Pixel)));
    }
    return &canvas_;
}

void SdlBackend::Present(const Surface& frame, std::span<const Rect> changed)
{
    if (&frame == &canvas_) {
        // Composed in place: only tell the window system what changed.
        std::vector<SDL_Rect> rects;
        for (const Rect& area : changed) {
            rects.push_back({area.X, area.Y, area.Width, area.Height});
        }
        if (rects.empty()) {
            SDL_UpdateWindowSurface(window_);
        } else {
            SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
        }
        return;
    }
    // A window surface made anew (SDL may, after a resize or a move between
    // displays) holds nothing of the frame before: it needs all of it.
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    if (target != shownOn_) {
        changed = {};
        shownOn_ = target;
    }
    if (scale_ == 1) {
        ShowOnWindow(window_, frame, changed);
        return;
    }
    // Enlarged, only what changed: a tick then costs about what it does at
    // the standard scale. Straight into the window's pixels where they are
    // laid out as ours, else through a copy at the window's scale.
    std::vector<Rect> areas(changed.begin(), changed.end());
    if (areas.empty()) {
        areas.push_back(frame.Bounds());
    }
    std::vector<Rect> enlarged;
    enlarged.reserve(areas.size());
    for (const Rect& area : areas) {
        enlarged.push_back({area.X * scale_, area.Y * scale_, area.Width * scale_, area.Height * scale_});
    }
    if (target != nullptr && target->format->format == SDL_PIXELFORMAT_RGB888 &&
        target->w == width_ * scale_ && target->h == height_ * scale_ &&
        target->pitch % static_cast<int>(sizeof(Pixel)) == 0) {
        Surface window = Surface::View(static_cast<Pixel*>(target->pixels), target->w, target->h,
                                       target->pitch / static_cast<int>(sizeof(Pixel)));
        std::vector<SDL_Rect> rects;
        rects.reserve(areas.size());
        for (std::size_t i = 0; i < areas.size(); ++i) {
            EnlargeArea(frame, areas[i], scale_, window);
            rects.push_back({enlarged[i].X, enlarged[i].Y, enlarged[i].Width, enlarged[i].Height});
        }
        SDL_UpdateWindowSurfaceRects(window_, rects.data(), static_cast<int>(rects.size()));
        return;
    }
    if (scaled_.Width() != frame.Width() * scale_ || scaled_.Height() != frame.Height() * scale_) {
        scaled_ = Surface(frame.Width() * scale_, frame.Height() * scale_);
    }
    for (const Rect& area : areas) {
        EnlargeArea(frame, area, scale_, scaled_);
    }
    ShowOnWindow(window_, scaled_, changed.empty() ? std::span<const Rect>() : std::span<const Rect>(enlarged));
}

BoxResult SdlBackend::ShowMessageBox(std::string_view title, std::string_view text)
{
    return RunMessageBox(window_, box_, text_, title, text);
}

void SdlBackend::DiscardInput()
{
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
}

std::uint32_t SdlBackend::ClockSeed()
{
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::system_clock::now().time_since_epoch().count() ^ Now().count());
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32U));
}

}  // namespace platform
