#include "platform/sdl/message_box_window.h"

#include <SDL.h>

#include "platform/sdl/keys.h"
#include "platform/sdl/present.h"
#include "platform/sdl/window_system.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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

BoxResult RunMessageBox(SDL_Window* owner, WindowPtr& box, const TextRenderer& renderer, std::string_view title,
                        std::string_view text, SdlPads& pads, const std::function<Time()>& now)
{
    const MessageBoxLayout layout = LayOutMessageBox(renderer, text);
    const SDL_Point at = Centre(owner, layout.Width, layout.Height);
    const std::string caption(title);
    if (box) {  // kept from the last box
        SDL_SetWindowTitle(box.get(), caption.c_str());
        SDL_SetWindowSize(box.get(), layout.Width, layout.Height);
        SDL_SetWindowPosition(box.get(), at.x, at.y);
    } else {
        box.reset(window_system::CreateDialog(caption.c_str(), at.x, at.y, layout.Width, layout.Height, owner));
        if (!box) {
            return BoxResult::NotShown;
        }
    }
    // However the box ends, its window goes, or hides until the next box.
    struct Closer {
        WindowPtr& box;
        ~Closer()
        {
            if (window_system::KeepsDialogs()) {
                SDL_HideWindow(box.get());
            } else {
                box.reset();
            }
        }
    } closer{box};
    window_system::OnlyCloseButton(box.get());
    window_system::Show(box.get());
    // Wayland takes a window's parent only once the window is shown, so the
    // box becomes the game window's child here (elsewhere this repeats what
    // CreateDialog set): kept over it, and centred on it where the
    // compositor does that for dialogs.
    SDL_SetWindowModalFor(box.get(), owner);
    Surface picture = DrawMessageBox(layout, false);
    if (!ShowOnWindow(box.get(), picture)) {
        return BoxResult::NotShown;
    }
    SDL_RaiseWindow(box.get());

    const Uint32 boxId = SDL_GetWindowID(box.get());
    const Uint32 ownerId = SDL_GetWindowID(owner);
    MessageBoxButton button(layout.Button);
    // What the button made of an event: the box done, or drawn again.
    const auto followed = [&](MessageBoxButton::Outcome outcome) {
        if (outcome == MessageBoxButton::Outcome::Redraw) {
            picture = DrawMessageBox(layout, button.Pressed());
            ShowOnWindow(box.get(), picture);
        }
        return outcome == MessageBoxButton::Outcome::Dismiss;
    };
    // A release off the box is off the button.
    constexpr int kOff = -1;
    std::vector<PadEvent> padInput;
    for (;;) {
        // The pads are read here too, at their pace.
        padInput.clear();
        pads.Sample(now(), padInput);
        for (const PadEvent& pad : padInput) {
            if (followed(button.Pad(pad))) {
                return BoxResult::Dismissed;
            }
        }
        SDL_Event event;
        int got = 0;
        if (const std::optional<Time> sample = pads.NextSample(); !sample) {
            got = SDL_WaitEvent(&event);
        } else if (const std::int32_t milliseconds = WaitMilliseconds(*sample, now()); milliseconds == 0) {
            got = SDL_PollEvent(&event);
        } else {
            got = SDL_WaitEventTimeout(&event, milliseconds);
        }
        window_system::CheckDisplay();
        if (got == 0) {
            if (!pads.NextSample()) {
                break;  // the event queue failed
            }
            continue;
        }
        if (pads.Handle(event, padInput)) {
            continue;  // a pad plugged in or out: its releases close nothing
        }
        bool dismissed = false;
        switch (event.type) {
        case SDL_QUIT:  // a signal, or the last window's close
            return BoxResult::Quit;
        case SDL_WINDOWEVENT:
            if (event.window.windowID == ownerId) {
                switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    return BoxResult::Quit;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    SDL_RaiseWindow(box.get());  // the box keeps the focus while it is open
                    pads.SampleSoon();
                    [[fallthrough]];
                case SDL_WINDOWEVENT_FOCUS_LOST:  // Wayland: see the game window's events
                case SDL_WINDOWEVENT_EXPOSED:
                    SDL_UpdateWindowSurface(owner);  // it still holds the last frame
                    break;
                default:
                    break;
                }
            } else if (event.window.windowID == boxId) {
                switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    return BoxResult::Dismissed;
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SHOWN:  // Wayland may have lost what was drawn before
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_FOCUS_GAINED:  // Wayland: a new configuration needs a new frame
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                        pads.SampleSoon();
                    }
                    ShowOnWindow(box.get(), picture);
                    break;
                default:
                    break;
                }
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.windowID == boxId) {
                dismissed = followed(button.Key(VirtualKeyCode(event.key.keysym), event.key.repeat != 0));
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.windowID == boxId && event.button.button == SDL_BUTTON_LEFT) {
                dismissed = followed(button.PointerDown(event.button.x, event.button.y));
            }
            break;
        case SDL_MOUSEMOTION:
            if (event.motion.windowID == boxId) {
                dismissed = followed(button.PointerMove(event.motion.x, event.motion.y));
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) {
                const bool onBox = event.button.windowID == boxId;
                dismissed = followed(button.PointerUp(onBox ? event.button.x : kOff, onBox ? event.button.y : kOff));
            }
            break;
        default:
            break;  // everything else, and all input to the game window, is dropped
        }
        if (dismissed) {
            return BoxResult::Dismissed;
        }
    }
    return BoxResult::Dismissed;  // the event queue failed: go on as after OK
}

}  // namespace platform
