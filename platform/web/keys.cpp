#include "platform/web/keys.h"

#include <algorithm>

#include "platform/core/virtual_keys.h"

namespace platform {

int WebKeyCode(unsigned long keyCode, std::string_view key)
{
    // Browsers give the desktop's virtual-key codes, Firefox a few of its own.
    int code = static_cast<int>(std::min<unsigned long>(keyCode, 1000));
    switch (code) {
    case 59: code = vk::Semicolon; break;
    case 61: code = vk::Equals; break;
    case 173: code = key == "-" || key == "_" ? vk::Minus : code; break;  // else the mute key
    case 224: code = vk::LeftWindows; break;
    default: break;
    }
    // Every key reaches the form, as on the desktop.
    return vk::IsKnown(code) ? code : vk::NoCode;
}

}  // namespace platform
