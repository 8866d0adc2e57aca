#include "platform/core/compositor.h"

#include <algorithm>
#include <stdexcept>

namespace platform {

namespace {

int Pixels(Single value)
{
    // Control positions are whole pixels at the design and after every move
    // by a whole speed; a fractional one is drawn at its rounded pixel.
    return static_cast<int>(CLng(value));
}

void DrawControl(const FormDesign& design, const Control& control, Surface& frame, const Rect& area)
{
    if (const auto* label = std::get_if<Label>(&control)) {
        // Transparent: only the text, clipped to the label's size.
        BlendText(frame, label->Rendered(), Pixels(label->Left), Pixels(label->Top),
                  Bounds(control).Intersect(area), design.ForeColorHighlightText);
    } else if (const auto* image = std::get_if<Image>(&control)) {
        frame.Draw(image->Picture(), Pixels(image->Left), Pixels(image->Top), area);
    } else if (const auto* box = std::get_if<PictureBox>(&control)) {
        const int inset = box->BorderFlat() ? 1 : 0;
        frame.Draw(box->Image(), Pixels(box->Left) + inset, Pixels(box->Top) + inset, area);
    }
}

}  // namespace

Rect Bounds(const Control& control)
{
    const ControlBase& base = Base(control);
    Rect bounds{Pixels(base.Left), Pixels(base.Top), Pixels(base.Width), Pixels(base.Height)};
    // An image shows its picture at its natural size, whatever its own size.
    if (const auto* image = std::get_if<Image>(&control)) {
        bounds.Width = std::max(bounds.Width, image->Picture().Width());
        bounds.Height = std::max(bounds.Height, image->Picture().Height());
    }
    return bounds;
}

void Compose(const Form& form, Surface& frame)
{
    const FormDesign& design = form.Design();
    if (frame.Width() != design.ClientWidth || frame.Height() != design.ClientHeight) {
        if (frame.Borrowed()) {
            // Its own pixels in place of the view would never reach the screen.
            throw std::invalid_argument("the screen's pixels are not the size of the form");
        }
        frame = Surface(design.ClientWidth, design.ClientHeight, design.BackColor);
    }
    ComposeArea(form, frame, frame.Bounds());
}

void ComposeArea(const Form& form, Surface& frame, const Rect& area)
{
    const Rect clip = area.Intersect(frame.Bounds());
    if (clip.Empty()) {
        return;
    }
    const Surface& surface = form.DrawingSurface();
    if (surface.Width() == frame.Width() && surface.Height() == frame.Height()) {
        frame.Draw(surface, 0, 0, clip);
    } else {
        // Unloaded: nothing but the background.
        frame.Draw(Surface(clip.Width, clip.Height, form.Design().BackColor), clip.X, clip.Y, clip);
    }
    // Reverse iterators rather than std::views::reverse, which Clang 14 cannot
    // compile with GCC 12's library and the web build's library lacks.
    const std::vector<Control>& controls = form.Controls();
    for (auto control = controls.rbegin(); control != controls.rend(); ++control) {
        if (Base(*control).Visible && !std::holds_alternative<Timer>(*control)) {
            DrawControl(form.Design(), *control, frame, clip);
        }
    }
    frame.Touch();
}

}  // namespace platform
