// The game with a gamepad plugged in, for bench/pads.sh: what waiting costs
// with a pad connected and untouched, against none. The pad is one of SDL's
// virtual joysticks, which SDL's game controller layer takes for a real
// controller; it is plugged in once the window shows, as a player would.
//   brennow_pad_game [none|pad]
// none: the game as it is. pad: a virtual pad plugged in; says on stderr
// how long starting SDL's controller subsystem took, which the game does
// itself once its first frame shows.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/core/runtime.h"
#include "platform/graphics/media.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/window_system.h"

namespace {

bool PlugInPad()
{
    SDL_VirtualJoystickDesc pad{};
    pad.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    pad.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    pad.naxes = SDL_CONTROLLER_AXIS_MAX;
    pad.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    pad.axis_mask = (1U << SDL_CONTROLLER_AXIS_MAX) - 1;
    pad.button_mask = (1U << SDL_CONTROLLER_BUTTON_MAX) - 1;
    pad.name = "Brennow bench pad";
    return SDL_JoystickAttachVirtualEx(&pad) >= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string_view mode = argc > 1 ? argv[1] : "none";
    if (mode != "none" && mode != "pad") {
        std::fprintf(stderr, "usage: brennow_pad_game [none|pad]\n");
        return 2;
    }
    platform::window_system::OpenStandardDescriptors();
    try {
        const platform::FormDesign& design = frmBomber::Design();
        platform::Media media(embedded::SansSerif());
        platform::SdlBackend backend(design.Caption, design.ClientWidth, design.ClientHeight, embedded::Icon(),
                                     media.Text());
        platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
        runtime.Start<frmBomber>();
        if (mode == "pad") {
            const auto start = std::chrono::steady_clock::now();
            if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
                std::fprintf(stderr, "brennow_pad_game: %s\n", SDL_GetError());
                return 1;
            }
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            std::fprintf(stderr, "brennow pads: controller subsystem started in %.2f ms\n", took.count());
            if (!PlugInPad()) {
                std::fprintf(stderr, "brennow_pad_game: no virtual pad: %s\n", SDL_GetError());
                return 1;
            }
        }
        return runtime.Run();
    } catch (const std::exception& error) {
        platform::ReportFailure(kApplicationTitle, error.what());
        return 1;
    }
}
