// Keeps the screen showing the form: tells what changed since the frame
// presented last, makes afresh only that where it can, and presents it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/backend.h"
#include "platform/core/form.h"
#include "platform/graphics/surface.h"

namespace platform {

class Presenter {
public:
    explicit Presenter(Backend& backend) : backend_(backend) {}

    // The screen lost what it showed: the next frame is made and shown whole.
    void Expose() { exposed_ = true; }

    // Composes and presents the form's frame if anything of it changed since
    // the last. Whatever composing throws goes to the caller, and then nothing
    // is presented.
    void PresentIfChanged(const Form& form);

private:
    // What a presented frame was made of, to tell what changed since.
    struct ShownControl {
        bool Visible = false;
        Rect Bounds;
        std::string Caption;
        friend bool operator==(const ShownControl&, const ShownControl&) = default;
    };
    struct Shown {
        std::uint64_t Load = 0;
        std::uint64_t Drawing = 0;
        std::vector<ShownControl> Controls;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    static Shown WhatShows(const Form& form);
    // Where the controls that differ between before and after were and are,
    // on frame.
    static std::vector<Rect> ChangedAreas(const Shown& before, const Shown& after, const Rect& frame);

    // Which pixels a frame was composed into: the backend's canvas of a
    // generation, or our own frame.
    struct Target {
        bool Canvas = false;
        std::uint64_t Generation = 0;
        friend bool operator==(const Target&, const Target&) = default;
    };

    Backend& backend_;
    Surface frame_;  // the frame, when the backend has no canvas for it
    std::optional<Target> composedInto_;
    std::optional<Shown> shown_;
    bool exposed_ = false;
};

}  // namespace platform
