// Brennow in a web page: as on the desktop, the platform creates the start-up
// form and its event loop calls the form's handlers; the wait between events
// suspends into the browser, so the page stays responsive.
#include <cstdio>
#include <exception>
#include <set>
#include <string>

#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "platform/web/web_backend.h"

int main()
{
    try {
        // The start-up in steps, the page breathing between them: in one
        // piece it held a slow phone's page for most of a second. What the
        // first frame needs is made first, a piece at a time, each kept for
        // the form's load (the pictures) or warming what the labels draw
        // with (the font at their size, then their glyphs); then the form's
        // load, then its first frame. Inline here: what is on the stack while
        // the page breathes must be built to suspend
        // (platform/web/asyncify_only.json).
        platform::Breathe("the program's start");
        const platform::FormDesign& design = frmBomber::Design();
        platform::Media media(embedded::SansSerif());
        std::set<const unsigned char*> decoded;
        for (const platform::ControlDesign& control : design.Controls) {
            if (!control.Picture.empty() && decoded.insert(control.Picture.data()).second) {
                media.Picture(control.Picture);
                platform::Breathe("a picture");
            }
            if (control.Kind == platform::ControlKind::Label && !control.Caption.empty()) {
                const int points = control.Font.value_or(design.Font).Size;
                media.Text().Open(points);
                platform::Breathe("the font at a label's size");
                media.Text().Render(" ", points);
                platform::Breathe("the first shaping at that size");
                media.Text().Render(control.Caption, points);
                platform::Breathe("a label's text");
            }
        }
        platform::WebBackend backend(design.ClientWidth, design.ClientHeight, media.Text());
        platform::Breathe("the backend");
        platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
        platform::Breathe("the runtime");
        runtime.BetweenSteps = platform::Breathe;
        runtime.Start<frmBomber>();
        runtime.BetweenSteps = nullptr;
        platform::Breathe("the first frame");
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
