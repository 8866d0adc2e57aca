// Brennow: the platform creates the start-up form, and from then on its event
// loop calls the form's handlers until the window is closed.
#include <cstddef>
#include <exception>
#include <memory>
#include <sstream>
#include <span>
#include <string>

#include "app/command_line.h"
#include "app/sessions.h"
#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "platform/sdl/sdl_backend.h"

int main(int argc, char** argv)
{
    platform::OpenStandardDescriptors();
    // Before any window: --help, --version and a refused option need no display.
    const app::CommandLine line =
        app::ParseCommandLine(std::span<char* const>(argv, argc > 0 ? static_cast<std::size_t>(argc) : 0));
    if (!line.options) {
        if (!line.output.empty()) {
            platform::PrintOutput(line.output);
        }
        if (!line.error.empty()) {
            platform::PrintError(line.error);
        }
        return line.status;
    }
    const app::Options& options = *line.options;
    const auto printError = [](const std::string& text) {
        platform::PrintError(text);
    };
    if (options.verify) {
        // Headless and as fast as it goes: no window, no display needed.
        std::ostringstream out;
        std::ostringstream err;
        int status = 2;
        try {
            status = app::Verify(*options.verify, out, err);
        } catch (const std::exception& error) {
            err << "brennow: " << error.what() << '\n';
        }
        platform::PrintOutput(out.str());
        if (!err.str().empty()) {
            printError(err.str());
        }
        return status;
    }
    // The file is opened before the window, so that a bad one opens none.
    std::unique_ptr<app::Session> session;
    if (options.record || options.replay) {
        std::string error;
        session = options.record ? app::Session::Record(*options.record, error)
                                 : app::Session::Replay(*options.replay, error);
        if (!session) {
            printError("brennow: " + error + "\n");
            return app::kBadUsage;
        }
    }
    try {
        const platform::FormDesign& design = frmBomber::Design();
        platform::Media media(embedded::SansSerif());
        platform::SdlBackend backend(design.Caption, design.ClientWidth, design.ClientHeight, embedded::Icon(),
                                     media.Text());
        platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
        if (session) {
            session->Attach(runtime, printError);
        }
        runtime.Start<frmBomber>();
        const int status = runtime.Run();
        return session ? session->Finish(status) : status;
    } catch (const std::exception& error) {
        platform::ReportFailure(kApplicationTitle, error.what());
        return 1;
    }
}
