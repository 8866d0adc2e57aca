// The old desktop's key code for a browser's key event, as the desktop build
// gives it for the same key. Pure, so that it is built and tested natively
// beside the desktop's own table.
#pragma once

#include <string_view>

namespace platform {

// From a browser's keyCode and key; vk::NoCode for a key the old desktop had
// no code for (it still reaches the form).
int WebKeyCode(unsigned long keyCode, std::string_view key);

}  // namespace platform
