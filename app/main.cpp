// Brennow: the platform creates the start-up form, and from then on its event
// loop calls the form's handlers until the window is closed.
#include <exception>
#include <string>

#if __has_include(<unistd.h>)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/media.h"
#include "platform/runtime.h"
#include "platform/sdl/sdl_backend.h"

namespace {

// Started with a standard descriptor closed (some launchers do), the next
// file opened would take its number: the display's connection as stderr,
// and a line written there would hang the game. Each one closed is opened on
// /dev/null before anything else opens a file.
void OpenStandardDescriptors()
{
#if __has_include(<unistd.h>)
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) == -1) {
            return;
        }
    }
#endif
}

}  // namespace

int main()
{
    OpenStandardDescriptors();
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
