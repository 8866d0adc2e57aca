// The virtual-key codes the old desktop gave its key events, by name: what
// every backend hands Form_KeyDown, however its window system names keys.
#pragma once

namespace platform::vk {

enum Code : int {
    Back = 8,
    Tab = 9,
    Clear = 12,  // keypad 5 with NumLock off
    Return = 13,
    Shift = 16,
    Control = 17,
    Menu = 18,  // Alt
    Pause = 19,
    Capital = 20,  // Caps Lock
    Escape = 27,
    Space = 32,
    Prior = 33,  // Page Up
    Next = 34,  // Page Down
    End = 35,
    Home = 36,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Select = 41,
    Execute = 43,
    Snapshot = 44,  // Print Screen
    Insert = 45,
    Delete = 46,
    Help = 47,
    Digit0 = 48,  // to 57: the digit keys of the main block
    A = 65,  // to 90: the letters
    LeftWindows = 91,
    RightWindows = 92,
    Apps = 93,  // the Menu key
    Sleep = 95,
    Numpad0 = 96,  // to 105: the keypad digits with NumLock on
    Multiply = 106,
    Add = 107,
    Separator = 108,
    Subtract = 109,
    Decimal = 110,
    Divide = 111,
    F1 = 112,  // to 135: F1 to F24
    NumLock = 144,
    ScrollLock = 145,
    BrowserBack = 166,
    BrowserForward = 167,
    BrowserRefresh = 168,
    BrowserStop = 169,
    BrowserSearch = 170,
    BrowserFavorites = 171,
    BrowserHome = 172,
    VolumeMute = 173,
    VolumeDown = 174,
    VolumeUp = 175,
    MediaNextTrack = 176,
    MediaPrevTrack = 177,
    MediaStop = 178,
    MediaPlayPause = 179,
    LaunchMail = 180,
    LaunchMediaSelect = 181,
    LaunchApp1 = 182,
    LaunchApp2 = 183,
    // The punctuation keys, named by what they carry on a US keyboard.
    Semicolon = 186,
    Equals = 187,
    Comma = 188,
    Minus = 189,
    Period = 190,
    Slash = 191,
    Grave = 192,
    LeftBracket = 219,
    Backslash = 220,
    RightBracket = 221,
    Apostrophe = 222,
    Oem8 = 223,
    Oem102 = 226,  // the key between left Shift and Z on ISO keyboards ("<" on a German one)
    NoCode = 0xFF,  // a key the old desktop had no code for
};

// Whether the old desktop gave a key this code; for a backend whose window
// system hands over these codes already (browsers do), anything else is
// NoCode.
constexpr bool IsKnown(int code)
{
    const auto within = [code](int first, int last) { return code >= first && code <= last; };
    return code == Back || code == Tab || code == Clear || code == Return || within(Shift, Capital) ||
           code == Escape || within(Space, Select) || within(Execute, Help) || within(Digit0, Digit0 + 9) ||
           within(A, A + 25) || within(LeftWindows, Apps) || within(Sleep, F1 + 23) || code == NumLock ||
           code == ScrollLock || within(BrowserBack, LaunchApp2) || within(Semicolon, Grave) ||
           within(LeftBracket, Oem8) || code == Oem102;
}

}  // namespace platform::vk
