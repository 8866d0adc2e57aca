#include "tests/replay/replay.h"

#include <charconv>
#include <cmath>
#include <istream>
#include <ostream>
#include <sstream>
#include <utility>

#include "assets/embedded.h"
#include "platform/graphics/media.h"
#include "platform/core/runtime.h"
#include "platform/replay/player.h"
#include "platform/replay/recorder.h"

namespace replay {

namespace {

using platform::Time;

template <class T>
std::string Number(T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

Script ParseScript(std::istream& in)
{
    platform::replay::Reader reader(in);
    if (reader.IsRecording()) {
        throw ScriptError(1, "a recording, not a script");
    }
    Script script;
    while (std::optional<platform::replay::Item> item = reader.Next()) {
        if (const auto* seed = std::get_if<platform::replay::BackendSeed>(&item->Is)) {
            script.Seed = seed->Value;
        } else if (const auto* delay = std::get_if<platform::replay::BoxDelay>(&item->Is)) {
            script.BoxDelay = delay->Delay;
        } else if (const auto* end = std::get_if<platform::replay::EndAt>(&item->Is)) {
            script.End = end->At;
        } else {
            const auto* step = std::get_if<platform::SessionStep>(&item->Is);
            const auto* event = step != nullptr ? std::get_if<platform::InputEvent>(step) : nullptr;
            if (event == nullptr) {
                throw ScriptError(item->Line, "a script holds input and settings only");
            }
            for (int i = 0; i < item->Count; ++i) {
                script.Events.push_back({item->At + i * item->Every, *event});
                if (item->Click) {
                    const auto& down = std::get<platform::MouseDownEvent>(*event);
                    script.Events.push_back({item->At + i * item->Every, platform::MouseUpEvent{down.X, down.Y}});
                }
            }
        }
    }
    return script;
}

Script ParseScript(std::string_view text)
{
    std::istringstream in{std::string(text)};
    return ParseScript(in);
}

std::string Describe(const platform::InputEvent& event)
{
    const auto at = [](float x, float y) { return Number(x) + "," + Number(y); };
    if (const auto* key = std::get_if<platform::KeyDownEvent>(&event)) {
        return "key " + std::to_string(key->KeyCode) + (key->Shift != 0 ? " shift " + std::to_string(key->Shift) : "");
    }
    if (const auto* move = std::get_if<platform::MouseMoveEvent>(&event)) {
        return "move " + at(move->X, move->Y);
    }
    if (const auto* down = std::get_if<platform::MouseDownEvent>(&event)) {
        return "down " + at(down->X, down->Y);
    }
    if (const auto* up = std::get_if<platform::MouseUpEvent>(&event)) {
        return "up " + at(up->X, up->Y);
    }
    if (const auto* pad = std::get_if<platform::PadEvent>(&event)) {
        static constexpr const char* kControls[] = {"up", "down", "left", "right", "stick-up", "stick-down",
                                                    "stick-left", "stick-right", "a", "b", "start"};
        return "pad " + std::to_string(pad->Pad) + " " + kControls[static_cast<std::size_t>(pad->Control)] +
               (pad->Pressed ? " press" : " release");
    }
    if (std::holds_alternative<platform::FocusLostEvent>(event)) {
        return "focus-lost";
    }
    return std::holds_alternative<platform::CloseEvent>(event) ? "close" : "expose";
}

namespace {

using platform::replay::Quoted;

// The trace's lines: what happened and the state after it.
class Tracer {
public:
    Tracer(platform::HeadlessBackend& backend, platform::Runtime& runtime, std::ostream& trace)
        : backend_(backend), trace_(trace)
    {
        runtime.Observer = [this](const platform::Runtime::Step& step) {
            if (const auto* event = std::get_if<platform::InputEvent>(&step)) {
                Line(Describe(*event));
            } else {
                Line("tick " + std::string(std::get<platform::ControlId>(step).Name));
            }
        };
    }
    void Line(std::string_view what)
    {
        trace_ << FormatTime(backend_.Now()) << ' ' << what << " | " << (form ? DescribeState(*form) : "-") << '\n';
    }
    frmBomber* form = nullptr;

private:
    platform::HeadlessBackend& backend_;
    std::ostream& trace_;
};

}  // namespace

int Replay(const Script& script, std::ostream& trace, std::string* recording)
{
    platform::HeadlessBackend backend;
    backend.SetSeed(script.Seed);
    platform::Media media(embedded::SansSerif());
    platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
    std::optional<platform::replay::Recorder> recorder;
    if (recording != nullptr) {
        recorder.emplace(
            [recording](std::string_view piece) {
                recording->append(piece);
                return true;
            },
            app::MadeBy(), app::ViewOf(runtime));
        runtime.Record(*recorder);
    }

    Time last{};
    for (const TimedEvent& event : script.Events) {
        backend.Post(event.At, event.Event);
        last = std::max(last, event.At);
    }
    const Time end = script.End.value_or(last + std::chrono::seconds(1));

    trace << "# Brennow replay: seed " << script.Seed << ", message boxes dismissed after "
          << FormatTime(script.BoxDelay) << " ms, until " << FormatTime(end) << " ms\n"
          << "# ms what | obstacles 0-4 [left,top speedX,speedY] | score and its label | figure x,y, direction, "
             "frame | timers, prompt\n";

    Tracer tracer(backend, runtime, trace);
    AnswerBoxes(backend, [&](const platform::HeadlessBackend::MessageBox& box) {
        tracer.Line("box " + Quoted(box.Text));
        backend.Stall(script.BoxDelay);
    });
    tracer.form = &runtime.Start<frmBomber>();
    tracer.Line("load");
    const int status = runtime.RunUntil(end);
    if (runtime.Finished()) {
        tracer.Line("ended, exit status " + std::to_string(status));
    } else {
        tracer.Line("stop");
    }
    if (recorder) {
        recorder->Flush();
    }
    return status;
}

int PlayBack(std::istream& recording, std::ostream& trace, std::string& verdict)
{
    platform::replay::Reader reader(recording);
    platform::HeadlessBackend backend;
    platform::Media media(embedded::SansSerif());
    platform::Runtime runtime(backend, media, std::string(kApplicationTitle));
    platform::replay::Player player(reader, app::ViewOf(runtime));
    trace << "# Brennow playback of a recording by " << reader.MadeBy() << "\n";
    Tracer tracer(backend, runtime, trace);
    AnswerBoxes(backend, [&](const platform::HeadlessBackend::MessageBox& box) {
        tracer.Line("box " + Quoted(box.Text));
        if (player.LastBox().At > backend.Now()) {
            backend.Stall(player.LastBox().At - backend.Now());
        }
    });
    runtime.Play(player);
    tracer.form = &runtime.Start<frmBomber>();
    tracer.Line("load");
    const int status = runtime.Run();
    player.Finish();
    tracer.Line(player.Complete() ? "ended, exit status " + std::to_string(status) : "stop");
    if (player.Error()) {
        throw *player.Error();
    }
    verdict = player.Difference();
    return status;
}

void AnswerBoxes(platform::HeadlessBackend& backend,
                 std::function<void(const platform::HeadlessBackend::MessageBox&)> open)
{
    backend.OnMessageBox = [open = std::move(open)](const platform::HeadlessBackend::MessageBox& box) {
        if (open) {
            open(box);
        }
        return true;  // dismissed, as by its OK button
    };
}

}  // namespace replay
