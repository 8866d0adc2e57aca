// Brennow in a web page: as on the desktop, the platform creates the start-up
// form and its event loop calls the form's handlers; the wait between events
// suspends into the browser, so the page stays responsive.
#include <cstdio>
#include <exception>
#include <string>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "platform/web/web_backend.h"

int main()
{
    try {
        const platform::FormDesign& design = frmBomber::Design();
        platform::Media media(embedded::SansSerif());
        platform::WebBackend backend(design.ClientWidth, design.ClientHeight, media.Text());
        platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
        runtime.Start<frmBomber>();
        const int status = runtime.Run();
        if (status != 0) {
            // The box has shown the report; the page keeps it in place of the
            // playfield, which would stand still from now on.
            platform::ShowFailureInPage(runtime.FailureReport());
        }
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "brennow: %s\n", error.what());
        platform::ShowFailureInPage(std::string("Brennow cannot run here: ") + error.what());
        return 1;
    }
}
