#include "platform/compositor.h"

#include <cstring>
#include <ranges>

namespace platform {

namespace {

int Pixels(Single value)
{
    // Control positions are whole pixels at the design and after every move
    // by a whole speed; a fractional one is drawn at its rounded pixel.
    return static_cast<int>(CLng(value));
}

void DrawControl(const FormDesign& design, const Control& control, Surface& frame)
{
    if (const auto* label = std::get_if<Label>(&control)) {
        BlendText(frame, label->Rendered(), Pixels(label->Left), Pixels(label->Top), Pixels(label->Width),
                  Pixels(label->Height), design.ForeColorHighlightText);
    } else if (const auto* image = std::get_if<Image>(&control)) {
        frame.Draw(image->Picture(), Pixels(image->Left), Pixels(image->Top));
    } else if (const auto* box = std::get_if<PictureBox>(&control)) {
        const int inset = box->BorderFlat() ? 1 : 0;
        frame.Draw(box->Image(), Pixels(box->Left) + inset, Pixels(box->Top) + inset);
    }
}

}  // namespace

void Compose(const Form& form, Surface& frame)
{
    const Surface& surface = form.DrawingSurface();
    const FormDesign& design = form.Design();
    if (frame.Width() != design.ClientWidth || frame.Height() != design.ClientHeight) {
        frame = Surface(design.ClientWidth, design.ClientHeight, design.BackColor);
    }
    if (surface.Width() == frame.Width() && surface.Height() == frame.Height()) {
        std::memcpy(frame.Row(0), surface.Row(0),
                    static_cast<std::size_t>(frame.Width()) * static_cast<std::size_t>(frame.Height()) * sizeof(Pixel));
    } else {
        frame.Fill(design.BackColor);  // unloaded: nothing but the background
    }
    for (const Control& control : form.Controls() | std::views::reverse) {
        if (Base(control).Visible) {
            DrawControl(design, control, frame);
        }
    }
    frame.Touch();
}

}  // namespace platform
