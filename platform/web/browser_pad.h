// A pad as the browser's Gamepad API shows it, in what the game uses of it.
// Pure, so that it is built and tested natively.
#pragma once

#include <span>

#include "platform/core/gamepad.h"

namespace platform {

// In the standard mapping (buttons 0 A, 1 B, 9 Start, 12 to 15 the d-pad;
// axes 0 and 1 the left stick), or, where the browser knows no mapping for
// the pad, only what nearly every pad has there: axes 0 and 1 its stick,
// button 0 its main face button.
PadState BrowserPad(std::span<const double> axes, std::span<const int> pressed, bool standard);

}  // namespace platform
