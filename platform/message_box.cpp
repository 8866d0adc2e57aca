#include "platform/message_box.h"

#include <SDL.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace platform {

namespace {

// The old desktop's dialog: 8-point text, its 3D colours, and its metrics in
// pixels at the standard density.
constexpr int kPoints = 8;
constexpr Pixel kFace = Rgb(192, 192, 192);
constexpr Pixel kHighlight = Rgb(255, 255, 255);
constexpr Pixel kLight = Rgb(223, 223, 223);
constexpr Pixel kShadow = Rgb(128, 128, 128);
constexpr Pixel kDarkShadow = Rgb(0, 0, 0);
constexpr Pixel kTextColour = Rgb(0, 0, 0);
constexpr int kMarginX = 12;
constexpr int kMarginTop = 16;
constexpr int kGapAboveButton = 16;
constexpr int kMarginBottom = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kFocusInset = 4;
// Wider text is wrapped, so that a long message cannot make a box wider than
// the screen.
constexpr int kMaxTextWidth = 400;

int TextWidth(const TextRenderer& renderer, std::string_view text)
{
    return renderer.Render(text, kPoints).Width;
}

// Greedy wrapping at spaces; a word wider than the box gets a line of its own.
void Wrap(const TextRenderer& renderer, std::string_view paragraph, std::vector<std::string>& lines)
{
    constexpr auto npos = std::string_view::npos;
    std::size_t start = 0;
    for (;;) {
        const std::string_view rest = paragraph.substr(start);
        if (TextWidth(renderer, rest) <= kMaxTextWidth) {
            lines.emplace_back(rest);
            return;
        }
        std::size_t cut = npos;
        for (std::size_t space = paragraph.find(' ', start + 1); space != npos;
             space = paragraph.find(' ', space + 1)) {
            if (TextWidth(renderer, paragraph.substr(start, space - start)) > kMaxTextWidth) {
                break;
            }
            cut = space;
        }
        if (cut == npos) {
            cut = paragraph.find(' ', start + 1);
            if (cut == npos) {
                lines.emplace_back(rest);
                return;
            }
        }
        lines.emplace_back(paragraph.substr(start, cut - start));
        start = paragraph.find_first_not_of(' ', cut);
        if (start == npos) {
            return;
        }
    }
}

void FillRect(Surface& s, int x, int y, int width, int height, Pixel colour)
{
    for (int row = std::max(y, 0); row < std::min(y + height, s.Height()); ++row) {
        for (int col = std::max(x, 0); col < std::min(x + width, s.Width()); ++col) {
            s.At(col, row) = colour;
        }
    }
}

// A one-pixel ring inset from r: topLeft along the top and left edges,
// bottomRight along the bottom and right ones.
void Ring(Surface& s, const BoxRect& r, int inset, Pixel topLeft, Pixel bottomRight)
{
    const int x = r.X + inset;
    const int y = r.Y + inset;
    const int w = r.Width - 2 * inset;
    const int h = r.Height - 2 * inset;
    FillRect(s, x, y, w, 1, topLeft);
    FillRect(s, x, y, 1, h, topLeft);
    FillRect(s, x, y + h - 1, w, 1, bottomRight);
    FillRect(s, x + w - 1, y, 1, h, bottomRight);
}

// Every other pixel, as the old desktop drew the focus.
void FocusRect(Surface& s, const BoxRect& r, int inset)
{
    const int left = r.X + inset;
    const int top = r.Y + inset;
    const int right = r.X + r.Width - 1 - inset;
    const int bottom = r.Y + r.Height - 1 - inset;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const bool edge = y == top || y == bottom || x == left || x == right;
            if (edge && (x + y) % 2 == 0 && s.Contains(x, y)) {
                s.At(x, y) = kTextColour;
            }
        }
    }
}

void DrawText(Surface& s, const MessageBoxLayout::Line& line, int dx, int dy)
{
    BlendText(s, line.Image, line.X + dx, line.Y + dy, s.Bounds(), kTextColour);
}

struct WindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};

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

bool DismissKey(const SDL_KeyboardEvent& key)
{
    if (key.repeat != 0) {
        return false;  // a key held since before the box opened
    }
    switch (key.keysym.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_SPACE:
    case SDLK_ESCAPE:
        return true;
    default:
        return false;
    }
}

}  // namespace

MessageBoxLayout LayOutMessageBox(const TextRenderer& renderer, std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        std::string_view paragraph = text.substr(start, end == std::string_view::npos ? end : end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') {
            paragraph.remove_suffix(1);
        }
        Wrap(renderer, paragraph, lines);
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }

    MessageBoxLayout layout;
    const int lineHeight = renderer.Render(" ", kPoints).Height;
    int textWidth = 0;
    int y = kMarginTop;
    for (const std::string& line : lines) {
        TextImage image = renderer.Render(line, kPoints);
        textWidth = std::max(textWidth, image.Width);
        layout.Lines.push_back({std::move(image), kMarginX, y});
        y += lineHeight;
    }
    layout.Width = std::max(textWidth, kButtonWidth) + 2 * kMarginX;
    layout.Button = {(layout.Width - kButtonWidth) / 2, y + kGapAboveButton, kButtonWidth, kButtonHeight};
    layout.Height = layout.Button.Y + layout.Button.Height + kMarginBottom;

    TextImage ok = renderer.Render("OK", kPoints);
    const int okX = layout.Button.X + (layout.Button.Width - ok.Width) / 2;
    const int okY = layout.Button.Y + (layout.Button.Height - ok.Height) / 2;
    layout.Caption = {std::move(ok), okX, okY};
    return layout;
}

Surface DrawMessageBox(const MessageBoxLayout& layout, bool pressed)
{
    Surface box(layout.Width, layout.Height, kFace);
    for (const MessageBoxLayout::Line& line : layout.Lines) {
        DrawText(box, line, 0, 0);
    }
    // The default button: a black frame around the bevel, which is raised,
    // or flat and shaded while it is held down.
    const BoxRect& button = layout.Button;
    Ring(box, button, 0, kDarkShadow, kDarkShadow);
    if (pressed) {
        Ring(box, button, 1, kShadow, kShadow);
    } else {
        Ring(box, button, 1, kHighlight, kDarkShadow);
        Ring(box, button, 2, kLight, kShadow);
    }
    const int shift = pressed ? 1 : 0;
    DrawText(box, layout.Caption, shift, shift);
    FocusRect(box, button, kFocusInset);
    return box;
}

bool ShowOnWindow(SDL_Window* window, const Surface& frame, std::span<const Rect> changed)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (target == nullptr) {
        return false;
    }
    const Rect all = frame.Bounds().Intersect({0, 0, target->w, target->h});
    const auto copy = [&](const Rect& area) {
        if (!area.Empty()) {
            const int bytes = SDL_BYTESPERPIXEL(target->format->format);
            SDL_ConvertPixels(area.Width, area.Height, SDL_PIXELFORMAT_RGB888, frame.Row(area.Y) + area.X,
                              frame.Width() * static_cast<int>(sizeof(Pixel)), target->format->format,
                              static_cast<Uint8*>(target->pixels) + area.Y * target->pitch + area.X * bytes,
                              target->pitch);
        }
    };
    if (changed.empty()) {
        copy(all);
        return SDL_UpdateWindowSurface(window) == 0;
    }
    std::vector<SDL_Rect> rects;
    rects.reserve(changed.size());
    for (const Rect& area : changed) {
        const Rect part = area.Intersect(all);
        copy(part);
        if (!part.Empty()) {
            rects.push_back({part.X, part.Y, part.Width, part.Height});
        }
    }
    return rects.empty() || SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size())) == 0;
}

BoxResult RunMessageBox(SDL_Window* owner, const TextRenderer& renderer, std::string_view title,
                        std::string_view text)
{
    const MessageBoxLayout layout = LayOutMessageBox(renderer, text);
    const SDL_Point at = Centre(owner, layout.Width, layout.Height);
    const std::string caption(title);
    // A dialog to the window manager: no maximise or minimise, kept over its owner.
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE_DIALOG");
    const std::unique_ptr<SDL_Window, WindowDeleter> box(
        SDL_CreateWindow(caption.c_str(), at.x, at.y, layout.Width, layout.Height, SDL_WINDOW_HIDDEN));
    SDL_ResetHint(SDL_HINT_X11_WINDOW_TYPE);
    if (!box) {
        return BoxResult::NotShown;
    }
    SDL_SetWindowModalFor(box.get(), owner);
    SDL_ShowWindow(box.get());
    Surface picture = DrawMessageBox(layout, false);
    if (!ShowOnWindow(box.get(), picture)) {
        return BoxResult::NotShown;
    }
    SDL_RaiseWindow(box.get());

    const Uint32 boxId = SDL_GetWindowID(box.get());
    const Uint32 ownerId = SDL_GetWindowID(owner);
    bool held = false;  // the left button went down on OK and is not yet up
    bool over = false;  // and the pointer is over OK now
    const auto redraw = [&](bool pressed) {
        picture = DrawMessageBox(layout, pressed);
        ShowOnWindow(box.get(), picture);
    };
    SDL_Event event;
    while (SDL_WaitEvent(&event) != 0) {
        switch (event.type) {
        case SDL_QUIT:  // a signal, or the last window's close
            return BoxResult::Quit;
        case SDL_WINDOWEVENT:
            if (event.window.windowID == ownerId) {
                switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    return BoxResult::Quit;
                case SDL_WINDOWEVENT_EXPOSED:
                    SDL_UpdateWindowSurface(owner);  // it still holds the last frame
                    break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    SDL_RaiseWindow(box.get());  // the box keeps the focus while it is open
                    break;
                default:
                    break;
                }
            } else if (event.window.windowID == boxId) {
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                    return BoxResult::Dismissed;
                }
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                    ShowOnWindow(box.get(), picture);
                }
            }
            break;
        case SDL_KEYDOWN:
            if (event.key.windowID == boxId && DismissKey(event.key)) {
                return BoxResult::Dismissed;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.windowID == boxId && event.button.button == SDL_BUTTON_LEFT &&
                layout.Button.Contains(event.button.x, event.button.y)) {
                held = true;
                over = true;
                redraw(true);
            }
            break;
        case SDL_MOUSEMOTION:
            if (held && event.motion.windowID == boxId) {
                const bool now = layout.Button.Contains(event.motion.x, event.motion.y);
                if (now != over) {
                    over = now;
                    redraw(over);
                }
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (held && event.button.button == SDL_BUTTON_LEFT) {
                held = false;
                if (event.button.windowID == boxId && layout.Button.Contains(event.button.x, event.button.y)) {
                    return BoxResult::Dismissed;
                }
                redraw(false);
            }
            break;
        default:
            break;  // everything else, and all input to the game window, is dropped
        }
    }
    return BoxResult::Dismissed;  // the event queue failed: go on as after OK
}

}  // namespace platform
