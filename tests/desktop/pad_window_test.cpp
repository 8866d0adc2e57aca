// A gamepad in the real window: one of SDL's virtual joysticks, which SDL's
// game controller layer takes for a real controller, drives the game through
// the SDL backend on a private X server (tests/desktop/pads.sh starts it).
// A held d-pad walks the figure to the frame the traced key-downs give on the
// headless backend; a pad SDL does not know steers by its hat; a worn stick
// resting off centre does nothing; A held as a pad is plugged in, or while
// the window lacked the focus, does nothing until pressed again; A starts the
// round; unplugging the pad mid-round stops a held direction and changes
// nothing else.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/core/runtime.h"
#include "platform/core/virtual_keys.h"
#include "platform/graphics/media.h"
#include "platform/headless/headless_backend.h"
#include "platform/sdl/sdl_backend.h"

// Last: Xlib's macros (None, Expose, ShiftMask) would rename what follows.
#ifndef _WIN32
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#endif

using namespace std::chrono_literals;

namespace {

// The key-downs the game got, in order: a pad's direction pressed, and the
// runtime's repeats.
std::vector<int> KeyDowns(const std::vector<platform::InputEvent>& traced)
{
    std::vector<int> keys;
    for (const platform::InputEvent& event : traced) {
        if (const auto* pad = std::get_if<platform::PadEvent>(&event); pad && pad->Pressed) {
            if (const int key = platform::PadArrowKey(pad->Control); key != 0) {
                keys.push_back(key);
            }
        } else if (const auto* key = std::get_if<platform::KeyDownEvent>(&event)) {
            keys.push_back(key->KeyCode);
        }
    }
    return keys;
}

// The window's pixels as the runtime's, where they are laid out alike.
bool SameAsWindow(const platform::Surface& frame, SDL_Window* window, std::string& why)
{
    SDL_Surface* shown = SDL_GetWindowSurface(window);
    if (shown == nullptr || shown->format->format != SDL_PIXELFORMAT_RGB888 || shown->w != frame.Width() ||
        shown->h != frame.Height()) {
        why = "the window surface is not the frame's size and layout";
        return false;
    }
    for (int y = 0; y < frame.Height(); ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(shown->pixels) + y * shown->pitch);
        for (int x = 0; x < frame.Width(); ++x) {
            if ((row[x] & 0xFFFFFFU) != (frame.At(x, y) & 0xFFFFFFU)) {
                why = "first difference at " + std::to_string(x) + "," + std::to_string(y);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TEST(PadWindow, AVirtualPadDrivesTheRealWindow)
{
    const platform::FormDesign& design = frmBomber::Design();
    platform::Media media(embedded::SansSerif());
    platform::SdlBackend backend(design.Caption, design.ClientWidth, design.ClientHeight, embedded::Icon(),
                                 media.Text());
    platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
    frmBomber& form = runtime.Start<frmBomber>();
    std::vector<platform::InputEvent> traced;
    runtime.Observer = [&](const platform::Runtime::Step& step) {
        if (const auto* event = std::get_if<platform::InputEvent>(&step)) {
            traced.push_back(*event);
        }
    };
    const auto run = [&](platform::Time duration) { runtime.RunUntil(backend.Now() + duration); };
    // Without the focus SDL drops a pad's presses, as the desktop drops keys.
    for (int i = 0; i < 100 && SDL_GetKeyboardFocus() == nullptr; ++i) {
        run(50ms);
    }
    SDL_Window* window = SDL_GetKeyboardFocus();
    ASSERT_NE(window, nullptr) << "the game window never got the focus";

    // Plugged in after the game started, as a player would.
    SDL_VirtualJoystickDesc description{};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.axis_mask = (1U << SDL_CONTROLLER_AXIS_MAX) - 1;
    description.button_mask = (1U << SDL_CONTROLLER_BUTTON_MAX) - 1;
    description.name = "Brennow test pad";
    const auto plugIn = [&] {
        const int device = SDL_JoystickAttachVirtualEx(&description);
        EXPECT_GE(device, 0) << SDL_GetError();
        return device;
    };
    const int device = plugIn();
    ASSERT_GE(device, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(device);
    ASSERT_NE(pad, nullptr) << SDL_GetError();
    const auto set = [&](SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(pad, button, down ? 1 : 0);
    };
    run(200ms);

    // A held d-pad: a step, then the repeats, to the frame the same
    // key-downs give headless.
    traced.clear();
    set(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    run(800ms);
    set(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    run(200ms);
    const std::vector<int> keys = KeyDowns(traced);
    ASSERT_GE(keys.size(), 5U) << "a press and at least four repeats in 800 ms";
    EXPECT_LE(keys.size(), 12U) << "no more than a press and the repeats due in 800 ms";
    platform::HeadlessBackend headless;
    platform::Runtime twin(headless, media, std::string(kApplicationTitle));
    twin.Start<frmBomber>();
    for (const int key : keys) {
        EXPECT_EQ(key, platform::vk::Right);
        twin.Deliver(platform::KeyDownEvent{key, 0});
    }
    std::string why;
    EXPECT_TRUE(SameAsWindow(headless.Frame(), window, why)) << why;
    EXPECT_EQ(form.PlayerX, 232.0 + 4.0 * static_cast<double>(keys.size()));

    // A pad SDL's database does not know still steers by its hat.
    SDL_VirtualJoystickDesc unknown{};
    unknown.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    unknown.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    unknown.nbuttons = 4;
    unknown.nhats = 1;
    unknown.name = "Brennow test stick with a hat";
    const int other = SDL_JoystickAttachVirtualEx(&unknown);
    ASSERT_GE(other, 0) << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(other);
    ASSERT_NE(stick, nullptr) << SDL_GetError();
    run(200ms);
    EXPECT_FALSE(SDL_IsGameController(other));
    traced.clear();
    const double x = form.PlayerX;
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_LEFT);
    run(150ms);
    SDL_JoystickSetVirtualHat(stick, 0, SDL_HAT_CENTERED);
    run(100ms);
    EXPECT_EQ(KeyDowns(traced), std::vector<int>{platform::vk::Left});
    EXPECT_EQ(form.PlayerX, x - 4);
    SDL_JoystickClose(stick);
    ASSERT_EQ(SDL_JoystickDetachVirtual(other), 0) << SDL_GetError();
    run(100ms);

    // A worn stick resting at 0.3 (SDL's 9830), steady and then shaking by
    // 0.1 either way, walks nothing.
    traced.clear();
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 9830);
    run(700ms);
    for (int i = 0; i < 20; ++i) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, i % 2 == 0 ? 13107 : 6554);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, i % 3 == 0 ? -3277 : 3277);
        run(30ms);
    }
    EXPECT_EQ(KeyDowns(traced), std::vector<int>{}) << "a stick at rest walked the figure";
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 0);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, 0);
    run(100ms);

    // The figure goes off the playfield, where no obstacle reaches it once
    // the round starts.
    for (int i = 0; i < 100; ++i) {
        runtime.Deliver(platform::KeyDownEvent{platform::vk::Left, 0});
    }
    // A pad plugged in with A held down: no click until A is pressed again.
    SDL_Joystick* late = SDL_JoystickOpen(plugIn());
    ASSERT_NE(late, nullptr) << SDL_GetError();
    SDL_JoystickSetVirtualButton(late, SDL_CONTROLLER_BUTTON_A, 1);
    run(300ms);
    EXPECT_FALSE(form.Timer1().Enabled) << "A held as the pad was plugged in started the round";
    SDL_JoystickSetVirtualButton(late, SDL_CONTROLLER_BUTTON_A, 0);
    run(100ms);
    SDL_JoystickClose(late);

#ifndef _WIN32
    // A pressed while another window has the focus, and held as it comes
    // back, does nothing.
    SDL_SysWMinfo wm;
    SDL_VERSION(&wm.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(window, &wm) && wm.subsystem == SDL_SYSWM_X11);
    // Another program's window, on a connection of its own.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const ::Window elsewhere = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 64, 0, 0, 0);
    XMapRaised(display, elsewhere);
    XWindowAttributes shown{};
    for (int i = 0; i < 40 && (XGetWindowAttributes(display, elsewhere, &shown) == 0 || shown.map_state != IsViewable);
         ++i) {
        run(50ms);
    }
    const auto focusOn = [&](::Window to, bool game) {
        for (int i = 0; i < 40 && (SDL_GetKeyboardFocus() == window) != game; ++i) {
            XSetInputFocus(display, to, RevertToPointerRoot, CurrentTime);
            XSync(display, False);
            run(50ms);
        }
        return (SDL_GetKeyboardFocus() == window) == game;
    };
    ASSERT_TRUE(focusOn(elsewhere, false)) << "the game window kept the focus";
    set(SDL_CONTROLLER_BUTTON_A, true);
    run(200ms);
    ASSERT_TRUE(focusOn(wm.info.x11.window, true)) << "the game window did not get the focus back";
    XDestroyWindow(display, elsewhere);
    XCloseDisplay(display);
    run(300ms);
    EXPECT_FALSE(form.Timer1().Enabled) << "A held while the focus was away started the round";
    set(SDL_CONTROLLER_BUTTON_A, false);
    run(100ms);
#endif

    // A starts the round, as a click on the prompt does.
    set(SDL_CONTROLLER_BUTTON_A, true);
    run(100ms);
    set(SDL_CONTROLLER_BUTTON_A, false);
    run(100ms);
    EXPECT_TRUE(form.Timer1().Enabled);
    EXPECT_FALSE(form.Label1().Visible);

    // Unplugged mid-round while a direction is held: the repeats stop, the
    // round goes on.
    set(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    run(700ms);
    const std::size_t before = KeyDowns(traced).size();
    SDL_JoystickClose(pad);
    ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0) << SDL_GetError();
    run(100ms);
    const std::size_t unplugged = KeyDowns(traced).size();
    const int score = form.Score.Value();
    run(600ms);
    EXPECT_EQ(KeyDowns(traced).size(), unplugged) << "a repeat came after the pad was unplugged";
    EXPECT_LE(unplugged, before + 4) << "repeats went on long after the pad was unplugged";
    EXPECT_TRUE(form.Timer1().Enabled);
    EXPECT_TRUE(form.Scoring().Enabled);
    EXPECT_FALSE(form.Label1().Visible);
    EXPECT_GT(form.Score.Value(), score);
    EXPECT_FALSE(runtime.Finished());
}
