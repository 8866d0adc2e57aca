// Makes the frame the player sees, the same way for the real window and for
// the headless backend: the form's surface, then its shown controls from the
// bottom of the stacking order up.
#pragma once

#include "platform/core/controls.h"
#include "platform/core/form.h"
#include "platform/graphics/surface.h"

namespace platform {

// The whole frame; frame is resized to the form's client area if need be,
// unless it is a view of pixels it does not own: then std::invalid_argument.
void Compose(const Form& form, Surface& frame);

// Only the part of the frame inside area, for a frame composed before whose
// other parts are still right.
void ComposeArea(const Form& form, Surface& frame, const Rect& area);

// Where a control shows on the frame, when it is shown.
Rect Bounds(const Control& control);

}  // namespace platform
