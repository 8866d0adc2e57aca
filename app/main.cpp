// Brennow: the platform creates the start-up form, and from then on its event
// loop calls the form's handlers until the window is closed.
#include <cstddef>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <span>
#include <string>

#include "app/command_line.h"
#include "app/sessions.h"
#include "app/settings.h"
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
    // The kept settings, under what this run's options ask.
    const std::optional<std::filesystem::path> settingsPath = app::SettingsPath();
    app::Settings kept;
    if (settingsPath) {
        app::ParsedSettings read = app::ReadSettings(*settingsPath);
        if (!read.problem.empty()) {
            platform::PrintError("brennow: " + settingsPath->string() + ": " + read.problem + "\n");
        }
        kept = std::move(read.settings);
    }
    try {
        const platform::FormDesign& design = frmBomber::Design();
        platform::Media media(embedded::SansSerif());
        platform::SdlBackend backend(design.Caption, design.ClientWidth, design.ClientHeight, embedded::Icon(),
                                     media.Text(),
                                     {.Scale = options.scale ? options.scale : kept.scale,
                                      .FullScreen = options.fullScreen.value_or(kept.fullScreen.value_or(false))});
        platform::WindowMode& mode = backend.Mode();
        if (options.scale && *options.scale > mode.LargestScale()) {
            platform::PrintError("brennow: scale " + std::to_string(*options.scale) + " does not fit the screen; " +
                                 std::to_string(mode.LargestScale()) + " does\n");
        }
        // What the player changes is kept, each change as it is made; the
        // options of this run are not. A file that cannot be written is said
        // once.
        bool complained = false;
        mode.OnChange([&](const platform::WindowChange& change) {
            if (change.What == platform::WindowChange::Kind::Zoom) {
                kept.scale = change.Scale;
            } else {
                kept.fullScreen = change.FullScreen;
            }
            if (!settingsPath || complained) {
                return;
            }
            if (const std::string reason = app::WriteSettings(*settingsPath, kept); !reason.empty()) {
                platform::PrintError("brennow: the settings are not kept: " + reason + "\n");
                complained = true;
            }
        });
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
