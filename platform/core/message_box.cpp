#include "platform/core/message_box.h"

#include "platform/core/virtual_keys.h"

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
void Ring(Surface& s, const Rect& r, int inset, Pixel topLeft, Pixel bottomRight)
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
void FocusRect(Surface& s, const Rect& r, int inset)
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
    layout.Height = y + kGapAboveButton + kButtonHeight + kMarginBottom;
    layout.Button = MessageBoxButtonPlace(layout.Width, layout.Height);

    TextImage ok = renderer.Render("OK", kPoints);
    const int okX = layout.Button.X + (layout.Button.Width - ok.Width) / 2;
    const int okY = layout.Button.Y + (layout.Button.Height - ok.Height) / 2;
    layout.Caption = {std::move(ok), okX, okY};
    return layout;
}

Rect MessageBoxButtonPlace(int width, int height)
{
    return {(width - kButtonWidth) / 2, height - kMarginBottom - kButtonHeight, kButtonWidth, kButtonHeight};
}

Surface DrawMessageBox(const MessageBoxLayout& layout, bool pressed)
{
    Surface box(layout.Width, layout.Height, kFace);
    for (const MessageBoxLayout::Line& line : layout.Lines) {
        DrawText(box, line, 0, 0);
    }
    // The default button: a black frame around the bevel, which is raised,
    // or flat and shaded while it is held down.
    const Rect& button = layout.Button;
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

MessageBoxButton::Outcome MessageBoxButton::PointerDown(int x, int y)
{
    if (!button_.Contains(x, y)) {
        return Outcome::None;
    }
    held_ = true;
    over_ = true;
    return Outcome::Redraw;
}

MessageBoxButton::Outcome MessageBoxButton::PointerMove(int x, int y)
{
    const bool over = button_.Contains(x, y);
    if (!held_ || over == over_) {
        return Outcome::None;
    }
    over_ = over;
    return Outcome::Redraw;
}

MessageBoxButton::Outcome MessageBoxButton::PointerUp(int x, int y)
{
    if (!held_) {
        return Outcome::None;
    }
    held_ = false;
    over_ = false;
    return button_.Contains(x, y) ? Outcome::Dismiss : Outcome::Redraw;
}

MessageBoxButton::Outcome MessageBoxButton::PointerCancel()
{
    if (!held_) {
        return Outcome::None;
    }
    held_ = false;
    over_ = false;
    return Outcome::Redraw;
}

bool DismissesBox(int virtualKey)
{
    return virtualKey == vk::Return || virtualKey == vk::Space || virtualKey == vk::Escape;
}

MessageBoxButton::Outcome MessageBoxButton::Key(int virtualKey, bool repeat)
{
    return DismissesBox(virtualKey) && !repeat ? Outcome::Dismiss : Outcome::None;
}

MessageBoxButton::Outcome MessageBoxButton::Pad(const PadEvent& event)
{
    // A press only: a button held since before the box opened shows no
    // press, so it cannot close it.
    return PadClosesBox(event) ? Outcome::Dismiss : Outcome::None;
}

}  // namespace platform
