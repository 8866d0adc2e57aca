#include "platform/web/browser_pad.h"

#include <algorithm>
#include <cmath>

namespace platform {

PadState BrowserPad(std::span<const double> axes, std::span<const int> pressed, bool standard)
{
    const auto button = [pressed](std::size_t i) { return i < pressed.size() && pressed[i] != 0; };
    // Only what lies between -1 and 1 makes a float soundly.
    const auto axis = [axes](std::size_t i) {
        return i < axes.size() && std::isfinite(axes[i]) ? static_cast<float>(std::clamp(axes[i], -1.0, 1.0)) : 0.0F;
    };
    PadState state;
    state.StickX = axis(0);
    state.StickY = axis(1);
    state.A = button(0);
    if (standard) {
        state.B = button(1);
        state.Start = button(9);
        state.Up = button(12);
        state.Down = button(13);
        state.Left = button(14);
        state.Right = button(15);
    }
    return state;
}

}  // namespace platform
