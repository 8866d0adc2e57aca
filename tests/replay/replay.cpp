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

// Text on one line, so that a message box's line breaks keep the trace's shape.
std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out + '"';
}

class LineReader {
public:
    LineReader(int number, std::string_view text) : number_(number)
    {
        std::istringstream words{std::string(text.substr(0, text.find('#')))};
        for (std::string word; words >> word;) {
            words_.push_back(std::move(word));
        }
    }

    bool Empty() const { return words_.empty(); }
    bool AtEnd() const { return next_ == words_.size(); }
    bool Accept(std::string_view word)
    {
        if (!AtEnd() && words_[next_] == word) {
            ++next_;
            return true;
        }
        return false;
    }
    void Expect(std::string_view word)
    {
        if (!Accept(word)) {
            Fail("expected \"" + std::string(word) + "\"");
        }
    }
    const std::string& Word(std::string_view what)
    {
        if (AtEnd()) {
            Fail("missing " + std::string(what));
        }
        return words_[next_++];
    }
    void Finish()
    {
        if (!AtEnd()) {
            Fail("unexpected \"" + words_[next_] + "\"");
        }
    }

    template <class T>
    T Value(std::string_view what)
    {
        const std::string& word = Word(what);
        T value{};
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error != std::errc() || end != word.data() + word.size()) {
            Fail("bad " + std::string(what) + " \"" + word + "\"");
        }
        return value;
    }

    Time Duration(std::string_view what)
    {
        const std::string& word = Word(what);
        std::string_view text = word;
        double scale = 0;
        if (text.ends_with("ms")) {
            text.remove_suffix(2);
            scale = 1e6;
        } else if (text.ends_with("s")) {
            text.remove_suffix(1);
            scale = 1e9;
        }
        double value = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (scale == 0 || error != std::errc() || end != text.data() + text.size() || !(value >= 0) ||
            value * scale > 1e18) {
            Fail("bad " + std::string(what) + " \"" + word + "\" (write e.g. 120ms or 2.5s)");
        }
        return Time(std::llround(value * scale));
    }

    [[noreturn]] void Fail(const std::string& message) const
    {
        throw ScriptError("line " + std::to_string(number_) + ": " + message);
    }

private:
    int number_;
    std::vector<std::string> words_;
    std::size_t next_ = 0;
};

// An event line after its time: the event, and how often it comes.
void ParseEvent(LineReader& line, Time at, Script& script)
{
    std::vector<platform::InputEvent> events;
    const std::string kind = line.Word("event");
    if (kind == "key") {
        platform::KeyDownEvent key{line.Value<int>("key code")};
        if (line.Accept("shift")) {
            key.Shift = line.Value<int>("shift state");
        }
        events.emplace_back(key);
    } else if (kind == "move" || kind == "click" || kind == "down" || kind == "up") {
        const float x = line.Value<float>("x");
        const float y = line.Value<float>("y");
        if (kind == "move") {
            events.emplace_back(platform::MouseMoveEvent{x, y});
        }
        if (kind == "click" || kind == "down") {
            events.emplace_back(platform::MouseDownEvent{x, y});
        }
        if (kind == "click" || kind == "up") {
            events.emplace_back(platform::MouseUpEvent{x, y});
        }
    } else if (kind == "expose") {
        events.emplace_back(platform::ExposeEvent{});
    } else if (kind == "close") {
        events.emplace_back(platform::CloseEvent{});
    } else {
        line.Fail("unknown event \"" + kind + "\"");
    }
    int count = 1;
    Time every{};
    if (line.Accept("repeat")) {
        count = line.Value<int>("repeat count");
        line.Expect("every");
        every = line.Duration("repeat interval");
        if (count < 1 || count > 1000000) {
            line.Fail("repeat count out of 1..1000000");
        }
        if (static_cast<double>(at.count()) + static_cast<double>(count - 1) * static_cast<double>(every.count()) >
            1e18) {
            line.Fail("the repeats run on for too long");
        }
    }
    line.Finish();
    for (int i = 0; i < count; ++i) {
        for (const platform::InputEvent& event : events) {
            script.Events.push_back({at + i * every, event});
        }
    }
}

}  // namespace

Script ParseScript(std::istream& in)
{
    Script script;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        LineReader line(++number, text);
        if (line.Empty()) {
            continue;
        }
        if (line.Accept("seed")) {
            script.Seed = line.Value<std::uint32_t>("seed");
        } else if (line.Accept("box")) {
            line.Expect("after");
            script.BoxDelay = line.Duration("box delay");
        } else if (line.Accept("end")) {
            script.End = line.Duration("end time");
        } else {
            const Time at = line.Duration("time");
            ParseEvent(line, at, script);
            continue;
        }
        line.Finish();
    }
    return script;
}

Script ParseScript(std::string_view text)
{
    std::istringstream in{std::string(text)};
    return ParseScript(in);
}

std::string FormatTime(Time time)
{
    const auto ns = time.count();
    std::string fraction = std::to_string(1000000 + ns % 1000000).substr(1);
    while (fraction.size() > 3 && fraction.back() == '0') {
        fraction.pop_back();
    }
    return std::to_string(ns / 1000000) + "." + fraction;
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

// Appends the pieces in turn to one string. Chains of "text" + temporary made
// GCC 12 at -O3 warn of an overlapping copy that cannot happen (-Wrestrict).
template <class... Pieces>
void Append(std::string& out, const Pieces&... pieces)
{
    (out.append(pieces), ...);
}

std::string DescribeState(frmBomber& form)
{
    std::string out;
    if (form.IsLoaded()) {
        for (int i = 0; i < 5; ++i) {
            const platform::Image& obstacle = form.Image1(i);
            Append(out, "[", Number(obstacle.Left), ",", Number(obstacle.Top), " ",
                   std::to_string(form.SpeedX(i).Value()), ",", std::to_string(form.SpeedY(i).Value()), "] ");
        }
    } else {
        out += "unloaded ";
    }
    Append(out, "| score ", std::to_string(form.Score.Value()));
    if (form.IsLoaded()) {
        Append(out, " ", Quoted(form.lblScore().Caption));
    }
    Append(out, " | figure ", Number(form.PlayerX), ",", Number(form.PlayerY), " dir ",
           std::to_string(form.PlayerDir.Value()), " frame ", std::to_string(form.AnimFrame.Value()));
    if (form.IsLoaded()) {
        const auto onOff = [](bool on) { return on ? "on" : "off"; };
        Append(out, " | Timer1 ", onOff(form.Timer1().Enabled), ", Scoring ", onOff(form.Scoring().Enabled),
               ", prompt ", form.Label1().Visible ? "shown" : "hidden");
    }
    return out;
}

int Replay(const Script& script, std::ostream& trace)
{
    platform::HeadlessBackend backend;
    backend.SetSeed(script.Seed);
    platform::Media media(embedded::SansSerif());
    platform::Runtime runtime(backend, media, std::string(kApplicationTitle));

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

    frmBomber* form = nullptr;
    const auto line = [&](std::string_view what) {
        trace << FormatTime(backend.Now()) << ' ' << what << " | " << (form ? DescribeState(*form) : "-") << '\n';
    };
    AnswerBoxes(backend, [&](const platform::HeadlessBackend::MessageBox& box) {
        line("box " + Quoted(box.Text));
        backend.Stall(script.BoxDelay);
    });
    runtime.Observer = [&](const platform::Runtime::Step& step) {
        if (const auto* event = std::get_if<platform::InputEvent>(&step)) {
            line(Describe(*event));
        } else {
            line("tick " + std::string(std::get<platform::ControlId>(step).Name));
        }
    };

    form = &runtime.Start<frmBomber>();
    line("load");
    const int status = runtime.RunUntil(end);
    if (runtime.Finished()) {
        line("ended, exit status " + std::to_string(status));
    } else {
        line("stop");
    }
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
