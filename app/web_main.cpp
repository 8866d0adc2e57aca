// Brennow in a web page: as on the desktop, the platform creates the start-up
// form and its event loop calls the form's handlers; the wait between events
// suspends into the browser, so the page stays responsive. The page keeps a
// recording of the session in memory, to save as a replay, or plays one back.
#include <emscripten.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include "app/game_view.h"
#include "assets/embedded.h"
#include "game/frmBomber.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "platform/replay/player.h"
#include "platform/replay/recorder.h"
#include "platform/web/web_backend.h"

namespace app {

// The session recorded in the page's memory, up to kLimit bytes: a minute of
// the pointer always moving is some 190 KiB, so that is over an hour of such
// play. Past it the recording stops; what is kept saves as a recording cut
// there, whose finished rounds verify.
class PageRecording {
public:
    static constexpr std::size_t kLimit = 16 * 1024 * 1024;

    explicit PageRecording(platform::Runtime& runtime)
        : recorder_([this](std::string_view piece) { return Keep(piece); }, MadeBy(), ViewOf(runtime))
    {
        runtime.Record(recorder_);
    }

    // The recording so far, everything the runtime has done included.
    const std::string& Text()
    {
        recorder_.Flush();
        return text_;
    }

private:
    bool Keep(std::string_view piece);

    std::string text_;  // before the recorder, whose last flush keeps into it
    platform::replay::Recorder recorder_;
};

}  // namespace app

extern "C" EMSCRIPTEN_KEEPALIVE const char* brennow_replay_text(app::PageRecording* recording)
{
    return recording->Text().data();
}

extern "C" EMSCRIPTEN_KEEPALIVE int brennow_replay_size(app::PageRecording* recording)
{
    return static_cast<int>(recording->Text().size());
}

// The page's side, app/web/replay.js.
EM_JS(void, brennow_replay_recording, (app::PageRecording* recording), {
    if (window.brennowReplay) {
        window.brennowReplay.recording(function() {
            const at = _brennow_replay_text(recording);
            return HEAPU8.slice(at, at + _brennow_replay_size(recording));
        });
    }
});
EM_JS(void, brennow_replay_full, (int mebibytes), {
    if (window.brennowReplay) {
        window.brennowReplay.full(mebibytes + ' MiB');
    }
});
// The replay the page was asked to play, in buffer when it fits; its size,
// or -1 when there is none.
EM_JS(int, brennow_replay_take, (char* buffer, int size), {
    if (!window.brennowReplay) {
        return -1;
    }
    if (Module.brennowReplayBytes === undefined) {
        const text = window.brennowReplay.take();
        Module.brennowReplayBytes = text === null ? null : new TextEncoder().encode(text);
    }
    const bytes = Module.brennowReplayBytes;
    if (bytes === null) {
        return -1;
    }
    if (bytes.length <= size) {
        HEAPU8.set(bytes, buffer);
        Module.brennowReplayBytes = null;
    }
    return bytes.length;
});
EM_JS(void, brennow_replay_playing, (), {
    if (window.brennowReplay) {
        window.brennowReplay.playing();
    }
});
EM_JS(void, brennow_replay_refused, (const char* why), {
    if (window.brennowReplay) {
        window.brennowReplay.refused(UTF8ToString(why));
    }
});
EM_JS(void, brennow_replay_ended, (), {
    if (window.brennowReplay) {
        window.brennowReplay.ended();
    }
});

bool app::PageRecording::Keep(std::string_view piece)
{
    if (text_.size() + piece.size() > kLimit) {
        brennow_replay_full(static_cast<int>(kLimit >> 20U));
        return false;
    }
    text_ += piece;
    return true;
}

namespace app {

// The replay the page was asked to play; none when it was not.
std::optional<std::string> ReplayToPlay()
{
    const int size = brennow_replay_take(nullptr, 0);
    if (size < 0) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    brennow_replay_take(text.data(), size);
    return text;
}

}  // namespace app

int main()
{
    try {
        // The start-up in steps, the page breathing between them: in one
        // piece it held a slow phone's page for most of a second. What the
        // first frame needs is made first, a piece at a time, each kept for
        // the form's load (the pictures) or warming what the labels draw
        // with (the font at their size, then their glyphs); then the form's
        // load, then its first frame. Inline here: what is on the stack while
        // the page breathes must be built to suspend (the list that
        // app/web/CMakeLists.txt writes).
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
        std::istringstream replay;
        std::optional<platform::replay::Reader> reader;
        std::optional<platform::replay::Player> player;
        std::unique_ptr<app::PageRecording> recording;
        if (std::optional<std::string> text = app::ReplayToPlay()) {
            replay.str(std::move(*text));
            try {
                reader.emplace(replay);
                platform::replay::RequireRecording(*reader);
                player.emplace(*reader, app::ViewOf(runtime));
                runtime.Play(*player);
                brennow_replay_playing();
            } catch (const platform::replay::ReadError& error) {
                brennow_replay_refused(error.what());
            }
        }
        if (!player) {
            recording = std::make_unique<app::PageRecording>(runtime);
            brennow_replay_recording(recording.get());
        }
        platform::Breathe("the runtime");
        runtime.BetweenSteps = platform::Breathe;
        runtime.Start<frmBomber>();
        runtime.BetweenSteps = nullptr;
        platform::Breathe("the first frame");
        const int status = runtime.Run();
        if (player) {
            brennow_replay_ended();
            return status;
        }
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
