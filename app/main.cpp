// Brennow: the platform creates the start-up form, and from then on its event
// loop calls the form's handlers until the window is closed.
#include <cstddef>
#include <exception>
#include <span>
#include <string>

#include "app/command_line.h"
#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/window_system.h"

int main(int argc, char** argv)
{
    platform::window_system::OpenStandardDescriptors();
    // Before any window: --help, --version and a refused option need no display.
    const app::CommandLine line =
        app::ParseCommandLine(std::span<char* const>(argv, argc > 0 ? static_cast<std::size_t>(argc) : 0));
    if (!line.options) {
        if (!line.output.empty()) {
            platform::window_system::Print(platform::window_system::Stream::Output, line.output);
        }
        if (!line.error.empty()) {
            platform::window_system::Print(platform::window_system::Stream::Error, line.error);
        }
        return line.status;
    }
    try {
        const platform::FormDesign& design = frmBomber::Design();
        platform::Media media(embedded::SansSerif());
        platform::SdlBackend backend(design.Caption, design.ClientWidth, design.ClientHeight, embedded::Icon(),
                                     media.Text());
        platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
        runtime.Start<frmBomber>();
        return runtime.Run();
    } catch (const std::exception& error) {
        platform::ReportFailure(kApplicationTitle, error.what());
        return 1;
    }
}
