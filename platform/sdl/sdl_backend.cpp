#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "platform/graphics/sdl_surface.h"
#include "platform/sdl/input.h"
#include "platform/sdl/message_box_window.h"
#include "platform/sdl/window_system.h"

namespace platform {

void OpenStandardDescriptors()
{
    window_system::OpenStandardDescriptors();
}

void PrintOutput(std::string_view text)
{
    window_system::Print(window_system::Stream::Output, text);
}

void PrintError(std::string_view text)
{
    window_system::Print(window_system::Stream::Error, text);
}

void ReportFailure(std::string_view title, std::string_view reason)
{
    const std::string caption(title);
    const std::string text(reason);
    std::fprintf(stderr, "brennow: %s\n", text.c_str());
    window_system::ReportFailure(caption.c_str(), text.c_str());
}

SdlBackend::SdlBackend(std::string_view caption, int width, int height, std::span<const unsigned char> icon,
                       const TextRenderer& text, const WindowRequest& request)
    : text_(text), input_(pads_, [this] { return Now(); }), start_(std::chrono::steady_clock::now())
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
    float dotsPerInch = window_system::DotsPerInch(window_);
    if (dotsPerInch == 0) {
        SDL_GetDisplayDPI(std::max(SDL_GetWindowDisplayIndex(window_), 0), nullptr, &dotsPerInch, nullptr);
    }
    pixels_.emplace(window_, width, height, 1);
    mode_.emplace(window_, *pixels_, ScaleFor(SDL_getenv("GDK_SCALE"), dotsPerInch), request.Scale);
    pointer_.Width = width;
    pointer_.Height = height;
    if (!icon.empty()) {
        SDL_RWops* rw = SDL_RWFromConstMem(icon.data(), static_cast<int>(icon.size()));
        SdlSurfacePtr picture(IMG_Load_RW(rw, 1));
        if (picture) {
            SDL_SetWindowIcon(window_, picture.get());
        }
    }
    window_system::OnlyCloseButton(window_);
    if (request.FullScreen) {
        mode_->SetFullScreen(true);
    }
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
    pads_.Stop();
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
    if (shown_) {
        pads_.Start(Now());  // once the first frame shows: it costs a few milliseconds
    }
    return input_.Next<InputEvent>(deadline, [this](const SDL_Event& event) -> std::optional<InputEvent> {
        if (event.type == SDL_KEYDOWN && event.key.windowID == SDL_GetWindowID(window_)) {
            // The form hears the key as well, as it hears every key.
            const WindowKey key = WindowKeyFor(event.key.keysym.sym, event.key.keysym.mod, event.key.repeat != 0);
            if (mode_->Apply(key) && key == WindowKey::ToggleFullScreen) {
                settledAt_ = SDL_GetTicks() + kSettling;
            }
        }
        // Until the window manager has placed the window anew, X tells the
        // pointer against the window's old place, and SDL pins it to the
        // window's new size: a pointer resting anywhere seems to move over
        // the playfield. A drag goes on.
        if (settledAt_ && SDL_TICKS_PASSED(event.common.timestamp, *settledAt_)) {
            settledAt_.reset();  // the clock's wrap, weeks on, would make it unsettled again
        }
        if (event.type == SDL_MOUSEMOTION && event.motion.state == 0 && settledAt_) {
            return std::nullopt;
        }
        pointer_.At = pixels_->Layout();
        return Translate(event, SDL_GetWindowID(window_), pointer_);
    });
}

Backend::Canvas SdlBackend::ScreenCanvas()
{
    return pixels_->Canvas();
}

void SdlBackend::Present(const Surface& frame, std::span<const Rect> changed)
{
    pixels_->Present(frame, changed);
}

BoxResult SdlBackend::ShowMessageBox(std::string_view title, std::string_view text, std::optional<Time> deadline)
{
    // The window's own pixels, which frames may be composed straight into,
    // go with a toggle or a zoom while the box is open: a copy shows them
    // again.
    pixels_->KeepFrame();
    SdlBoxWindow box(window_, box_, *pixels_, *mode_, pads_, [this] { return Now(); });
    return RunMessageBox(box, text_, title, text, deadline);
}

void SdlBackend::DiscardInput()
{
    // What SDL holds already, and what the window system made meanwhile but
    // has yet to hand SDL (a backlog under load).
    window_system::DropInputMadeUntilNow();
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    // The pads were read for the box while it was open; what was read
    // before it opened and not yet handed over is dropped too.
    input_.DropPads();
}

}  // namespace platform
