#include "platform/sdl/message_box_window.h"

#include <SDL.h>

#include "platform/sdl/keys.h"
#include "platform/sdl/present.h"
#include "platform/sdl/window_system.h"

#include <algorithm>
#include <string>

namespace platform {

void WindowDeleter::operator()(SDL_Window* window) const
{
    SDL_DestroyWindow(window);
}

namespace {

// Where to ask for the box so that it is centred over owner and stays on
// owner's display. Window managers place the frame's corner there; the box's
// frame is taken to be like owner's.
SDL_Point Centre(SDL_Window* owner, int width, int height)
{
    int x = 0;
    int y = 0;
    int ownerWidth = 0;
    int ownerHeight = 0;
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    SDL_GetWindowPosition(owner, &x, &y);
    SDL_GetWindowSize(owner, &ownerWidth, &ownerHeight);
    if (SDL_GetWindowBordersSize(owner, &top, &left, &bottom, &right) != 0) {
        top = left = bottom = right = 0;  // no frame, or no window manager to ask
    }
    const int frameWidth = width + left + right;
    const int frameHeight = height + top + bottom;
    SDL_Point at{x + (ownerWidth - frameWidth) / 2, y + (ownerHeight - frameHeight) / 2};
    SDL_Rect bounds;
    const int display = SDL_GetWindowDisplayIndex(owner);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &bounds) == 0) {
        at.x = std::max(bounds.x, std::min(at.x, bounds.x + bounds.w - frameWidth));
        at.y = std::max(bounds.y, std::min(at.y, bounds.y + bounds.h - frameHeight));
    }
    return at;
}

}  // namespace

void SdlBoxWindow::Fit()
{
    scale_ = game_.Layout().Scale;
    const int width = pixels_.Width() * scale_;
    const int height = pixels_.Height() * scale_;
    const SDL_Point at = Centre(owner_, width, height);
    SDL_SetWindowSize(box_.get(), width, height);
    SDL_SetWindowPosition(box_.get(), at.x, at.y);
}

bool SdlBoxWindow::Open(std::string_view title, const Surface& pixels)
{
    pixels_ = pixels;
    scale_ = game_.Layout().Scale;
    const int width = pixels.Width() * scale_;
    const int height = pixels.Height() * scale_;
    const SDL_Point at = Centre(owner_, width, height);
    const std::string caption(title);
    if (box_) {  // kept from the last box
        SDL_SetWindowTitle(box_.get(), caption.c_str());
        SDL_SetWindowSize(box_.get(), width, height);
        SDL_SetWindowPosition(box_.get(), at.x, at.y);
    } else {
        box_.reset(window_system::CreateDialog(caption.c_str(), at.x, at.y, width, height, owner_));
        if (!box_) {
            return false;
        }
    }
    window_system::OnlyCloseButton(box_.get());
    window_system::Show(box_.get());
    // Wayland takes a window's parent only once the window is shown, so the
    // box becomes the game window's child here (elsewhere this repeats what
    // CreateDialog set): kept over it, and centred on it where the
    // compositor does that for dialogs.
    SDL_SetWindowModalFor(box_.get(), owner_);
    Enlarge(pixels, {}, scale_, enlarged_);
    if (!ShowOnWindow(box_.get(), scale_ == 1 ? pixels : enlarged_)) {
        Close();
        return false;
    }
    SDL_RaiseWindow(box_.get());
    boxId_ = SDL_GetWindowID(box_.get());
    ownerId_ = SDL_GetWindowID(owner_);
    return true;
}

void SdlBoxWindow::Show(const Surface& pixels)
{
    if (&pixels != &pixels_) {
        pixels_ = pixels;
    }
    if (scale_ == 1) {
        ShowOnWindow(box_.get(), pixels_);
        return;
    }
    Enlarge(pixels_, {}, scale_, enlarged_);
    ShowOnWindow(box_.get(), enlarged_);
}

void SdlBoxWindow::Close()
{
    if (window_system::KeepsDialogs()) {
        SDL_HideWindow(box_.get());
    } else {
        box_.reset();
    }
}

std::optional<BoxInput> SdlBoxWindow::Next(std::optional<Time> deadline)
{
    return input_.Next<BoxInput>(deadline, [this](const SDL_Event& event) { return Take(event); });
}

std::optional<BoxInput> SdlBoxWindow::Take(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:  // a signal, or the last window's close
        return BoxEnd{BoxResult::Quit};
    case SDL_WINDOWEVENT:
        if (event.window.windowID == ownerId_) {
            switch (event.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                return BoxEnd{BoxResult::Quit};
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                SDL_RaiseWindow(box_.get());  // the box keeps the focus while it is open
                [[fallthrough]];
            case SDL_WINDOWEVENT_FOCUS_LOST:  // Wayland: see the game window's events
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:  // its pixels made anew, empty
                game_.ShowAgain();
                break;
            default:
                break;
            }
        } else if (event.window.windowID == boxId_) {
            switch (event.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
                return BoxEnd{BoxResult::Dismissed};
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SHOWN:  // Wayland may have lost what was drawn before
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_FOCUS_GAINED:  // Wayland: a new configuration needs a new frame
            case SDL_WINDOWEVENT_FOCUS_LOST:
                return BoxRepaint{};
            default:
                break;
            }
        }
        break;
    case SDL_KEYDOWN:
        if (event.key.windowID == boxId_) {
            // Full screen and zoom change the window, never the box: Alt+Enter
            // does not dismiss it.
            if (const WindowKey key = WindowKeyFor(event.key.keysym.sym, event.key.keysym.mod, event.key.repeat != 0);
                key != WindowKey::None) {
                if (mode_.Apply(key)) {
                    game_.ShowAgain();
                    Fit();
                    return BoxRepaint{};
                }
                break;
            }
            return BoxKey{VirtualKeyCode(event.key.keysym), event.key.repeat != 0};
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID == boxId_ && event.button.button == SDL_BUTTON_LEFT) {
            return BoxPointer{BoxPointer::Down, event.button.x / scale_, event.button.y / scale_};
        }
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.windowID == boxId_) {
            return BoxPointer{BoxPointer::Move, event.motion.x / scale_, event.motion.y / scale_};
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) {
            // A release off the box is off the button.
            const bool onBox = event.button.windowID == boxId_;
            return BoxPointer{BoxPointer::Up, onBox ? event.button.x / scale_ : kOffBox,
                              onBox ? event.button.y / scale_ : kOffBox};
        }
        break;
    default:
        break;
    }
    return std::nullopt;  // everything else, and all input to the game window, is dropped
}

}  // namespace platform
