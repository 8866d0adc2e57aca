#include "platform/core/controls.h"

#include <algorithm>

namespace platform {

const TextImage& Label::Rendered() const
{
    if (renderedCaption_ != Caption) {
        rendered_ = text_->Render(Caption, font_.Size);
        renderedCaption_ = Caption;
    }
    return rendered_;
}

namespace {

int InnerSize(Single outer, bool border)
{
    return std::max(0, static_cast<int>(outer) - (border ? 2 : 0));
}

}  // namespace

PictureBox::PictureBox(const ControlDesign& design, const Surface& picture, Pixel backColor)
    : ControlBase(design),
      border_(design.BorderFlat),
      image_(InnerSize(design.Width, design.BorderFlat), InnerSize(design.Height, design.BorderFlat), backColor)
{
    image_.Draw(picture, 0, 0, image_.Bounds());
}

}  // namespace platform
