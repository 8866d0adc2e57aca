#include "platform/sdl/keys.h"

#include <array>
#include <utility>

#include "platform/core/virtual_keys.h"

namespace platform {

namespace {

using Row = std::pair<SDL_Scancode, int>;

// The keys that keep their code whatever the layout, by place.
constexpr auto kByPlace = std::to_array<Row>({
    {SDL_SCANCODE_BACKSPACE, vk::Back},
    {SDL_SCANCODE_TAB, vk::Tab},
    {SDL_SCANCODE_CLEAR, vk::Clear},
    {SDL_SCANCODE_RETURN, vk::Return},
    {SDL_SCANCODE_RETURN2, vk::Return},
    {SDL_SCANCODE_KP_ENTER, vk::Return},
    {SDL_SCANCODE_LSHIFT, vk::Shift},
    {SDL_SCANCODE_RSHIFT, vk::Shift},
    {SDL_SCANCODE_LCTRL, vk::Control},
    {SDL_SCANCODE_RCTRL, vk::Control},
    {SDL_SCANCODE_LALT, vk::Menu},
    {SDL_SCANCODE_RALT, vk::Menu},  // AltGr too
    {SDL_SCANCODE_PAUSE, vk::Pause},
    {SDL_SCANCODE_CAPSLOCK, vk::Capital},
    {SDL_SCANCODE_ESCAPE, vk::Escape},
    {SDL_SCANCODE_SPACE, vk::Space},
    {SDL_SCANCODE_PAGEUP, vk::Prior},
    {SDL_SCANCODE_PAGEDOWN, vk::Next},
    {SDL_SCANCODE_END, vk::End},
    {SDL_SCANCODE_HOME, vk::Home},
    {SDL_SCANCODE_LEFT, vk::Left},
    {SDL_SCANCODE_UP, vk::Up},
    {SDL_SCANCODE_RIGHT, vk::Right},
    {SDL_SCANCODE_DOWN, vk::Down},
    {SDL_SCANCODE_SELECT, vk::Select},
    {SDL_SCANCODE_EXECUTE, vk::Execute},
    {SDL_SCANCODE_PRINTSCREEN, vk::Snapshot},
    {SDL_SCANCODE_SYSREQ, vk::Snapshot},
    {SDL_SCANCODE_INSERT, vk::Insert},
    {SDL_SCANCODE_DELETE, vk::Delete},
    {SDL_SCANCODE_HELP, vk::Help},
    {SDL_SCANCODE_LGUI, vk::LeftWindows},
    {SDL_SCANCODE_RGUI, vk::RightWindows},
    {SDL_SCANCODE_APPLICATION, vk::Apps},
    {SDL_SCANCODE_MENU, vk::Apps},
    {SDL_SCANCODE_SLEEP, vk::Sleep},
    {SDL_SCANCODE_KP_MULTIPLY, vk::Multiply},
    {SDL_SCANCODE_KP_PLUS, vk::Add},
    {SDL_SCANCODE_SEPARATOR, vk::Separator},
    {SDL_SCANCODE_KP_MINUS, vk::Subtract},
    {SDL_SCANCODE_KP_DIVIDE, vk::Divide},
    {SDL_SCANCODE_NUMLOCKCLEAR, vk::NumLock},
    {SDL_SCANCODE_SCROLLLOCK, vk::ScrollLock},
    {SDL_SCANCODE_AC_BACK, vk::BrowserBack},
    {SDL_SCANCODE_AC_FORWARD, vk::BrowserForward},
    {SDL_SCANCODE_AC_REFRESH, vk::BrowserRefresh},
    {SDL_SCANCODE_AC_STOP, vk::BrowserStop},
    {SDL_SCANCODE_AC_SEARCH, vk::BrowserSearch},
    {SDL_SCANCODE_AC_BOOKMARKS, vk::BrowserFavorites},
    {SDL_SCANCODE_AC_HOME, vk::BrowserHome},
    {SDL_SCANCODE_AUDIOMUTE, vk::VolumeMute},
    {SDL_SCANCODE_MUTE, vk::VolumeMute},
    {SDL_SCANCODE_VOLUMEDOWN, vk::VolumeDown},
    {SDL_SCANCODE_VOLUMEUP, vk::VolumeUp},
    {SDL_SCANCODE_AUDIONEXT, vk::MediaNextTrack},
    {SDL_SCANCODE_AUDIOPREV, vk::MediaPrevTrack},
    {SDL_SCANCODE_AUDIOSTOP, vk::MediaStop},
    {SDL_SCANCODE_AUDIOPLAY, vk::MediaPlayPause},
    {SDL_SCANCODE_MAIL, vk::LaunchMail},
    {SDL_SCANCODE_MEDIASELECT, vk::LaunchMediaSelect},
    {SDL_SCANCODE_COMPUTER, vk::LaunchApp1},
    {SDL_SCANCODE_CALCULATOR, vk::LaunchApp2},
    // Punctuation by its US place, whatever the layout prints on it (unless
    // that is a letter: see below).
    {SDL_SCANCODE_SEMICOLON, vk::Semicolon},
    {SDL_SCANCODE_EQUALS, vk::Equals},
    {SDL_SCANCODE_COMMA, vk::Comma},
    {SDL_SCANCODE_MINUS, vk::Minus},
    {SDL_SCANCODE_PERIOD, vk::Period},
    {SDL_SCANCODE_SLASH, vk::Slash},
    {SDL_SCANCODE_GRAVE, vk::Grave},
    {SDL_SCANCODE_LEFTBRACKET, vk::LeftBracket},
    {SDL_SCANCODE_BACKSLASH, vk::Backslash},
    {SDL_SCANCODE_NONUSHASH, vk::Backslash},  // the ISO key left of Enter: the same key to the old desktop
    {SDL_SCANCODE_RIGHTBRACKET, vk::RightBracket},
    {SDL_SCANCODE_APOSTROPHE, vk::Apostrophe},
    {SDL_SCANCODE_NONUSBACKSLASH, vk::Oem102},
});

// The keypad keys that are navigation keys while NumLock is off, with the
// code each has then; with NumLock on they are digits and the decimal point.
constexpr auto kKeypad = std::to_array<std::pair<Row, int>>({
    {{SDL_SCANCODE_KP_0, vk::Numpad0}, vk::Insert},
    {{SDL_SCANCODE_KP_1, vk::Numpad0 + 1}, vk::End},
    {{SDL_SCANCODE_KP_2, vk::Numpad0 + 2}, vk::Down},
    {{SDL_SCANCODE_KP_3, vk::Numpad0 + 3}, vk::Next},
    {{SDL_SCANCODE_KP_4, vk::Numpad0 + 4}, vk::Left},
    {{SDL_SCANCODE_KP_5, vk::Numpad0 + 5}, vk::Clear},
    {{SDL_SCANCODE_KP_6, vk::Numpad0 + 6}, vk::Right},
    {{SDL_SCANCODE_KP_7, vk::Numpad0 + 7}, vk::Home},
    {{SDL_SCANCODE_KP_8, vk::Numpad0 + 8}, vk::Up},
    {{SDL_SCANCODE_KP_9, vk::Numpad0 + 9}, vk::Prior},
    {{SDL_SCANCODE_KP_PERIOD, vk::Decimal}, vk::Delete},
});

}  // namespace

int VirtualKeyCode(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod)
{
    // A letter is the letter the layout puts on the key, wherever the key
    // is: Z and Y trade places on a German keyboard, A and Q on a French one.
    if (sym >= SDLK_a && sym <= SDLK_z) {
        return vk::A + (sym - SDLK_a);
    }
    // A US letter key that carries no Latin letter in this layout (a
    // Cyrillic or Greek one, say) keeps its US letter.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return vk::A + (scancode - SDL_SCANCODE_A);
    }
    // The digit row by place: a French keyboard prints "&" on the key of 1.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return vk::Digit0 + 1 + (scancode - SDL_SCANCODE_1);
    }
    if (scancode == SDL_SCANCODE_0) {
        return vk::Digit0;
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
        return vk::F1 + (scancode - SDL_SCANCODE_F1);
    }
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) {
        return vk::F1 + 12 + (scancode - SDL_SCANCODE_F13);
    }
    for (const auto& [key, numLockOff] : kKeypad) {
        if (key.first == scancode) {
            return (mod & KMOD_NUM) != 0 ? key.second : numLockOff;
        }
    }
    for (const auto& [key, code] : kByPlace) {
        if (key == scancode) {
            return code;
        }
    }
    return vk::NoCode;
}

}  // namespace platform
