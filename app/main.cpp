// Brennow: the platform creates the start-up form, and from then on its event
// loop calls the form's handlers until the window is closed.
#include <exception>
#include <string>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/window_system.h"

int main()
{
    platform::window_system::OpenStandardDescriptors();
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
