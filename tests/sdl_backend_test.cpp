// What the real window's backend computes without a display: its scale, the
// enlarged frame, the key codes the game receives, and what its wait does
// when SDL's fails.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/sdl/input.h"
#include "platform/sdl/keys.h"
#include "platform/core/virtual_keys.h"
#include "platform/sdl/input_age.h"
#include "platform/sdl/present.h"
#include "platform/sdl/wait.h"
#include "platform/web/keys.h"

using namespace platform;

TEST(DisplayScale, TheDesktopsRequestComesFirstThenTheDensityInWholeSteps)
{
    EXPECT_EQ(ScaleFor("2", 96), 2);
    EXPECT_EQ(ScaleFor("3", 0), 3);
    EXPECT_EQ(ScaleFor("1", 192), 1);
    EXPECT_EQ(ScaleFor("100", 96), 8);
    // Not a whole number of at least 1: ignored, the density decides.
    EXPECT_EQ(ScaleFor("1.5", 192), 2);
    EXPECT_EQ(ScaleFor("0", 96), 1);
    EXPECT_EQ(ScaleFor("", 192), 2);
    EXPECT_EQ(ScaleFor("-2", 96), 1);
    EXPECT_EQ(ScaleFor(nullptr, 96), 1);
    EXPECT_EQ(ScaleFor(nullptr, 100), 1);  // a little denser than standard: unchanged
    EXPECT_EQ(ScaleFor(nullptr, 144), 1);
    EXPECT_EQ(ScaleFor(nullptr, 168), 2);
    EXPECT_EQ(ScaleFor(nullptr, 192), 2);
    EXPECT_EQ(ScaleFor(nullptr, 288), 3);
    EXPECT_EQ(ScaleFor(nullptr, 0), 1);
    EXPECT_EQ(ScaleFor(nullptr, -96), 1);
    EXPECT_EQ(ScaleFor(nullptr, NAN), 1);
    EXPECT_EQ(ScaleFor(nullptr, 1e30F), 1);
}

TEST(DisplayScale, EnlargingMakesEachPixelACrispSquare)
{
    Surface frame(3, 2);
    frame.At(0, 0) = 0x112233;
    frame.At(2, 1) = 0xFFFFFF;
    Surface out;
    Enlarge(frame, {}, 3, out);
    ASSERT_EQ(out.Width(), 9);
    ASSERT_EQ(out.Height(), 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(out.At(x, y), frame.At(x / 3, y / 3)) << x << "," << y;
        }
    }
    // Only a part: its squares change, nothing else does.
    const Surface before = out;
    frame.At(1, 1) = 0x123456;
    frame.At(2, 1) = 0x654321;
    const Rect part{1, 1, 1, 5};
    Enlarge(frame, std::span<const Rect>(&part, 1), 3, out);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 9; ++x) {
            const bool inside = x / 3 == 1 && y / 3 == 1;
            EXPECT_EQ(out.At(x, y), inside ? 0x123456U : before.At(x, y)) << x << "," << y;
        }
    }
}

// One row per key: where it is, what the layout puts on it, NumLock; and
// what a browser says of the same key, where it says other than the code.
// In full screen the playfield has a black border: a move there is heard only
// while a button pressed on the playfield is held.
TEST(PointerInput, AMoveOffThePlayfieldIsHeardOnlyDuringADragBegunOnIt)
{
    Pointer pointer{.At = {.Scale = 2, .X = 100, .Y = 0}, .Width = 464, .Height = 349};
    const auto event = [](Uint32 type, int x, int y, Uint32 state = 0) {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_MOUSEMOTION) {
            e.motion = {.type = type, .windowID = 1, .state = state, .x = x, .y = y};
        } else {
            e.button = {.type = type, .windowID = 1, .button = SDL_BUTTON_LEFT, .x = x, .y = y};
        }
        return e;
    };
    const auto heard = [&](const SDL_Event& e) { return Translate(e, 1, pointer).has_value(); };
    EXPECT_FALSE(heard(event(SDL_MOUSEMOTION, 50, 10)));
    EXPECT_TRUE(heard(event(SDL_MOUSEBUTTONDOWN, 200, 10)));
    EXPECT_TRUE(heard(event(SDL_MOUSEMOTION, 50, 10, SDL_BUTTON_LMASK)));
    // Let go where this window did not hear it (a box took the release).
    EXPECT_TRUE(heard(event(SDL_MOUSEMOTION, 200, 10)));
    EXPECT_FALSE(heard(event(SDL_MOUSEMOTION, 50, 10)));
}

TEST(KeyCodes, EveryKeyGetsTheCodeTheOldDesktopGaveOnTheDesktopAndInTheBrowser)
{
    constexpr Uint16 on = KMOD_NUM;
    constexpr Uint16 off = KMOD_NONE;
    constexpr unsigned long kAsTheDesktop = ~0UL;
    struct Row {
        SDL_Scancode place;
        SDL_Keycode sym;
        Uint16 mod;
        int code;
        unsigned long browser = kAsTheDesktop;  // its keyCode
        std::string_view key = {};
    };
    const Row rows[] = {
        // Letters by the layout's character: US, German (Y and Z swapped),
        // French (A on the US Q, M on the US semicolon), and a Cyrillic
        // layout, which keeps the US letters.
        {SDL_SCANCODE_A, SDLK_a, off, 65},
        {SDL_SCANCODE_Z, SDLK_z, on, 90},
        {SDL_SCANCODE_Y, SDLK_z, off, 90},
        {SDL_SCANCODE_Z, SDLK_y, off, 89},
        {SDL_SCANCODE_Q, SDLK_a, off, 65},
        {SDL_SCANCODE_SEMICOLON, SDLK_m, off, 77},
        {SDL_SCANCODE_F, 0x0430, off, 70},
        // Digits by place, also where the layout prints "&" or "ç" on them.
        {SDL_SCANCODE_1, SDLK_1, off, 49},
        {SDL_SCANCODE_0, SDLK_0, off, 48},
        {SDL_SCANCODE_1, SDLK_AMPERSAND, off, 49},
        {SDL_SCANCODE_9, 0xE7, off, 57},
        // F1 to F24.
        {SDL_SCANCODE_F1, SDLK_F1, off, 112},
        {SDL_SCANCODE_F12, SDLK_F12, off, 123},
        {SDL_SCANCODE_F13, SDLK_F13, off, 124},
        {SDL_SCANCODE_F24, SDLK_F24, off, 135},
        // Shift, Ctrl, Alt, AltGr; the Windows keys and Menu.
        {SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, off, 16},
        {SDL_SCANCODE_LCTRL, SDLK_LCTRL, off, 17},
        {SDL_SCANCODE_LALT, SDLK_LALT, off, 18},
        {SDL_SCANCODE_RALT, SDLK_MODE, off, 18},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, off, 91},
        {SDL_SCANCODE_RGUI, SDLK_RGUI, off, 92},
        {SDL_SCANCODE_APPLICATION, SDLK_APPLICATION, off, 93},
        // Punctuation by its US place, whatever the layout puts on it: the
        // German ö, ß, ü, ä, # and the ISO key "<".
        {SDL_SCANCODE_SEMICOLON, 0xF6, off, 186},
        {SDL_SCANCODE_EQUALS, SDLK_EQUALS, off, 187},
        // Firefox's own codes for four keys; 173 is its minus and others' mute.
        {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, off, 186, 59, ";"},
        {SDL_SCANCODE_EQUALS, SDLK_EQUALS, off, 187, 61, "="},
        {SDL_SCANCODE_MINUS, SDLK_MINUS, off, 189, 173, "-"},
        {SDL_SCANCODE_MINUS, SDLK_MINUS, KMOD_SHIFT, 189, 173, "_"},
        {SDL_SCANCODE_MUTE, SDLK_MUTE, off, 173, 173, "AudioVolumeMute"},
        {SDL_SCANCODE_LGUI, SDLK_LGUI, off, 91, 224, "Meta"},
        {SDL_SCANCODE_COMMA, SDLK_COMMA, off, 188},
        {SDL_SCANCODE_MINUS, 0xDF, off, 189},
        {SDL_SCANCODE_PERIOD, SDLK_PERIOD, off, 190},
        {SDL_SCANCODE_SLASH, SDLK_MINUS, off, 191},
        {SDL_SCANCODE_GRAVE, SDLK_CARET, off, 192},
        {SDL_SCANCODE_LEFTBRACKET, 0xFC, off, 219},
        {SDL_SCANCODE_BACKSLASH, SDLK_HASH, off, 220},
        {SDL_SCANCODE_RIGHTBRACKET, SDLK_PLUS, off, 221},
        {SDL_SCANCODE_APOSTROPHE, 0xE4, off, 222},
        {SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS, off, 226},
        // The keypad with NumLock on: digits and operators.
        {SDL_SCANCODE_KP_0, SDLK_KP_0, on, 96},
        {SDL_SCANCODE_KP_4, SDLK_KP_4, on, 100},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, on, 105},
        {SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, on, 106},
        {SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, off, 107},
        {SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, on, 109},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, on, 110},
        {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, off, 111},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, on, 13},
        // NumLock off: the navigation keys they show; 4 8 6 2 steer.
        {SDL_SCANCODE_KP_4, SDLK_KP_4, off, 37},
        {SDL_SCANCODE_KP_8, SDLK_KP_8, off, 38},
        {SDL_SCANCODE_KP_6, SDLK_KP_6, off, 39},
        {SDL_SCANCODE_KP_2, SDLK_KP_2, off, 40},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, off, 36},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, KMOD_SHIFT, 33},
        {SDL_SCANCODE_KP_1, SDLK_KP_1, off, 35},
        {SDL_SCANCODE_KP_3, SDLK_KP_3, off, 34},
        {SDL_SCANCODE_KP_0, SDLK_KP_0, off, 45},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, off, 46},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, off, 12},
        // The rest of the main block.
        {SDL_SCANCODE_LEFT, SDLK_LEFT, on, 37},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, off, 40},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, off, 32},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, off, 13},
        {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, off, 27},
        {SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, off, 8},
        {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, off, 34},
        {SDL_SCANCODE_DELETE, SDLK_DELETE, off, 46},
        {SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, off, 20},
        {SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR, on, 144},
        // Keys the old desktop had no code for still reach the form.
        {SDL_SCANCODE_KP_EQUALS, SDLK_KP_EQUALS, off, 0xFF},
        {SDL_SCANCODE_INTERNATIONAL1, SDLK_BACKSLASH, off, 0xFF},
        {SDL_SCANCODE_UNKNOWN, 0, off, 0xFF, 0, "Unidentified"},
        {SDL_SCANCODE_UNKNOWN, 0, off, 0xFF, 229, "Process"},  // an input method's
        {SDL_SCANCODE_UNKNOWN, 0, off, 0xFF, 4000000000UL, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(VirtualKeyCode(row.place, row.sym, row.mod), row.code)
            << SDL_GetScancodeName(row.place) << " with symbol " << row.sym << " and mod " << row.mod;
        const unsigned long browser = row.browser == kAsTheDesktop ? static_cast<unsigned long>(row.code) : row.browser;
        if (row.browser != kAsTheDesktop || row.code != vk::NoCode) {
            EXPECT_EQ(WebKeyCode(browser, row.key), row.code) << "the browser's keyCode " << browser << ", key " << row.key;
        }
    }
    // The web build, handed these codes by the browser, keeps only the ones
    // the desktop gives: a code added to one list and not the other would
    // make a key act differently in the browser.
    for (int place = 0; place < SDL_NUM_SCANCODES; ++place) {
        for (const Uint16 mod : {off, on}) {
            const auto scancode = static_cast<SDL_Scancode>(place);
            const int code = VirtualKeyCode(scancode, SDL_GetKeyFromScancode(scancode), mod);
            EXPECT_TRUE(vk::IsKnown(code) || code == vk::NoCode) << SDL_GetScancodeName(scancode) << " gives " << code;
        }
    }
    for (const Row& row : rows) {
        EXPECT_EQ(vk::IsKnown(row.code), row.code != vk::NoCode) << "code " << row.code;
    }
}

// Input made before the box closed is dropped by when the window system made
// it, not when SDL got to it; its clock wraps every 49 days.
TEST(InputAge, InputMadeUpToTheMomentIsDroppedWhateverTheClockAndTheRestIsKept)
{
    struct Row {
        const char* what;
        std::optional<std::uint32_t> dropUntil;
        std::optional<std::uint32_t> made;
        Uint32 type;
        bool kept;
    };
    const Row rows[] = {
        {"a key made before", 5000, 4999, SDL_KEYDOWN, false},
        {"a move made at the moment", 5000, 5000, SDL_MOUSEMOTION, false},
        {"a click made after", 5000, 5001, SDL_MOUSEBUTTONDOWN, true},
        {"before, across the wrap", 0x00000010U, 0xFFFFFFF0U, SDL_MOUSEBUTTONUP, false},
        {"after, across the wrap", 0xFFFFFFF0U, 0x00000010U, SDL_KEYDOWN, true},
        {"nothing dropped yet", std::nullopt, 4999, SDL_KEYDOWN, true},
        {"no time known for it", 5000, std::nullopt, SDL_KEYDOWN, true},
        {"not input", 5000, 4999, SDL_WINDOWEVENT, true},
        {"the quit request", 5000, 4999, SDL_QUIT, true},
    };
    for (const Row& row : rows) {
        InputAge ages;
        if (row.dropUntil) {
            ages.Made(*row.dropUntil);
            ages.DropUntil(*row.dropUntil);
        }
        ages.Made(row.made);
        SDL_Event event{};
        event.type = row.type;
        EXPECT_EQ(ages.Keep(event), row.kept) << row.what;
    }
}

// The one wait for SDL's events, given a wait that fails: the failure ends
// the loop with SDL's reason, where it used to spin (the game's loop) or pass
// for a dismissed box (the box's). A wait that ends empty is the time come.
TEST(EventWait, AFailedWaitEndsTheLoopWithSdlsReason)
{
    static std::vector<int> timeouts;
    timeouts.clear();  // a repeated run starts afresh
    const EventWaitFunction failing = [](SDL_Event* /*event*/, int timeout) {
        timeouts.push_back(timeout);
        SDL_SetError("the queue broke");
        return WaitEnd::Failed;
    };
    const EventWaitFunction empty = [](SDL_Event* /*event*/, int timeout) {
        timeouts.push_back(timeout);
        return WaitEnd::Empty;
    };
    using namespace std::chrono_literals;
    SDL_Event event;
    for (const std::optional<Time> wake : {std::optional<Time>(), std::optional<Time>(1500us)}) {
        try {
            WaitForEvent(wake, Time{}, event, failing);
            ADD_FAILURE() << "a failed wait returned";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "the wait for input failed: the queue broke");
        }
    }
    EXPECT_FALSE(WaitForEvent(Time(1500us), Time{}, event, empty));
    EXPECT_FALSE(WaitForEvent(Time{}, Time(5ms), event, empty));  // past: only a look
    EXPECT_EQ(timeouts, (std::vector<int>{-1, 2, 2, 0}));

    // The loops' own wait, with no pad to read: the same.
    SdlPads pads;
    EventsAndPads failingInput(pads, [] { return Time{}; }, failing);
    PadEvent pad;
    EXPECT_THROW(failingInput.Next(Time(1s), event, pad), std::runtime_error);
    EventsAndPads emptyInput(pads, [] { return Time{}; }, empty);
    EXPECT_EQ(emptyInput.Next(Time{}, event, pad), EventsAndPads::Got::Nothing);
}
