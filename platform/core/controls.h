// The controls a form is built from, and the design-time description they are
// created from at every load.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/graphics/media.h"
#include "platform/graphics/surface.h"
#include "platform/graphics/text.h"
#include "platform/language/values.h"

namespace platform {

struct FontDesign {
    std::string_view Name;
    int Size = 8;  // points
};

enum class ControlKind { Timer, PictureBox, Label, Image };

// One control as designed. Positions and sizes are pixels; a timer has none.
struct ControlDesign {
    std::string_view Name;
    int Index = -1;  // element of a control array, or -1
    ControlKind Kind = ControlKind::Label;
    Single Left = 0;
    Single Top = 0;
    Single Width = 0;
    Single Height = 0;
    bool Visible = true;
    std::string_view Caption;
    std::optional<FontDesign> Font;  // none: the form's font
    PictureData Picture;
    bool BorderFlat = false;     // picture box: a one-pixel flat border
    int Interval = 0;            // timer, milliseconds
    bool Enabled = false;        // timer
};

struct FormDesign {
    std::string_view Name;
    std::string_view Caption;
    int ClientWidth = 0;
    int ClientHeight = 0;
    Pixel BackColor = 0;
    Pixel ForeColorHighlightText = Rgb(255, 255, 255);
    FontDesign Font;
    std::span<const ControlDesign> Controls;  // in creation order, first on top
};

// Identifies a control independently of the load it belongs to.
struct ControlId {
    std::string_view Name;
    int Index = -1;
    friend bool operator==(const ControlId&, const ControlId&) = default;
};

struct ControlBase {
    explicit ControlBase(const ControlDesign& design)
        : Name(design.Name), Index(design.Index), Left(design.Left), Top(design.Top), Width(design.Width),
          Height(design.Height), Visible(design.Visible)
    {
    }
    ControlId Id() const { return {Name, Index}; }
    bool Contains(Single x, Single y) const { return x >= Left && y >= Top && x < Left + Width && y < Top + Height; }

    std::string_view Name;
    int Index;
    Single Left;
    Single Top;
    Single Width;
    Single Height;
    bool Visible;
};

class Timer : public ControlBase {
public:
    explicit Timer(const ControlDesign& design)
        : ControlBase(design), Interval(design.Interval), Enabled(design.Enabled)
    {
        Visible = false;
    }

    int Interval;  // milliseconds
    bool Enabled;

    // Kept by the runtime: when the next tick is due, once armed.
    std::optional<std::chrono::nanoseconds> Deadline;
};

class Label : public ControlBase {
public:
    Label(const ControlDesign& design, const TextRenderer& text, const FontDesign& font)
        : ControlBase(design), Caption(design.Caption), text_(&text), font_(font)
    {
    }

    // The rendered caption, made again only when the caption has changed.
    const TextImage& Rendered() const;

    std::string Caption;

private:
    const TextRenderer* text_;
    FontDesign font_;
    mutable std::optional<std::string> renderedCaption_;
    mutable TextImage rendered_;
};

class PictureBox : public ControlBase {
public:
    PictureBox(const ControlDesign& design, const Surface& picture, Pixel backColor);

    // The persistent image: the inner area, with the picture at its top-left.
    HDC hDC() { return &image_; }
    const Surface& Image() const { return image_; }
    bool BorderFlat() const { return border_; }

private:
    bool border_;
    Surface image_;
};

class Image : public ControlBase {
public:
    Image(const ControlDesign& design, const Surface& picture) : ControlBase(design), picture_(&picture) {}
    const Surface& Picture() const { return *picture_; }

private:
    const Surface* picture_;  // decoded once per run, shared by all loads
};

using Control = std::variant<Timer, PictureBox, Label, Image>;

inline const ControlBase& Base(const Control& control)
{
    return std::visit([](const ControlBase& c) -> const ControlBase& { return c; }, control);
}
inline ControlBase& Base(Control& control)
{
    return std::visit([](ControlBase& c) -> ControlBase& { return c; }, control);
}

}  // namespace platform
