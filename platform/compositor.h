// Makes the frame the player sees, the same way for the real window and for
// the headless backend: the form's surface, then its shown controls from the
// bottom of the stacking order up.
#pragma once

#include "platform/form.h"
#include "platform/surface.h"

namespace platform {

// frame is resized to the form's client area if it is not already.
void Compose(const Form& form, Surface& frame);

}  // namespace platform
