#include "platform/replay/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform::replay {

namespace {

constexpr double kLongestTime = 1e18;  // nanoseconds: some thirty years
constexpr float kFarthest = 1e6F;      // pixels from the window's corner, either way

struct Word {
    std::string Text;
    bool Quoted = false;
};

std::vector<Word> Words(int line, std::string_view text)
{
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            Word word{"", true};
            for (++i;; ++i) {
                if (i >= text.size()) {
                    throw ReadError(line, "a quoted text without its closing quote");
                }
                if (text[i] == '"') {
                    ++i;
                    break;
                }
                if (text[i] == '\\' && i + 1 < text.size()) {
                    ++i;
                    word.Text += text[i] == 'n' ? '\n' : text[i];
                } else {
                    word.Text += text[i];
                }
            }
            words.push_back(std::move(word));
        } else {
            const std::size_t end = text.find_first_of(" \t#\"", i);
            words.push_back({std::string(text.substr(i, end - i)), false});
            i = end == std::string_view::npos ? text.size() : end;
        }
    }
    return words;
}

class Line {
public:
    Line(int number, std::vector<Word> words) : number_(number), words_(std::move(words)) {}

    int Number() const { return number_; }
    bool AtEnd() const { return next_ == words_.size(); }
    std::string_view Peek() const
    {
        if (AtEnd() || words_[next_].Quoted) {
            return {};
        }
        return words_[next_].Text;
    }
    bool Accept(std::string_view word)
    {
        if (!AtEnd() && !words_[next_].Quoted && words_[next_].Text == word) {
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
    const std::string& Bare(std::string_view what)
    {
        if (AtEnd()) {
            Fail("missing " + std::string(what));
        }
        if (words_[next_].Quoted) {
            Fail("expected " + std::string(what) + ", not a quoted text");
        }
        return words_[next_++].Text;
    }
    std::string Text(std::string_view what)
    {
        if (AtEnd() || !words_[next_].Quoted) {
            Fail("missing " + std::string(what) + " in quotes");
        }
        return words_[next_++].Text;
    }
    void Finish()
    {
        if (!AtEnd()) {
            Fail("unexpected \"" + words_[next_].Text + "\"");
        }
    }

    template <class T>
    T Whole(std::string_view what, T lowest, T highest)
    {
        const std::string& word = Bare(what);
        T value{};
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (error == std::errc::result_out_of_range ||
            (error == std::errc() && end == word.data() + word.size() && (value < lowest || value > highest))) {
            Fail(std::string(what) + " \"" + word + "\" out of " + std::to_string(lowest) + ".." +
                 std::to_string(highest));
        }
        if (error != std::errc() || end != word.data() + word.size()) {
            Fail("bad " + std::string(what) + " \"" + word + "\"");
        }
        return value;
    }

    // A decimal number: strtod, not from_chars, which the web build's
    // library lacks for floating point. The program sets no locale.
    float Decimal(std::string_view what, const std::string& word)
    {
        char* end = nullptr;
        const float value = std::strtof(word.c_str(), &end);
        if (word.empty() || end != word.c_str() + word.size() || !std::isfinite(value)) {
            Fail("bad " + std::string(what) + " \"" + word + "\"");
        }
        return value;
    }

    float Coordinate(std::string_view what)
    {
        const std::string& word = Bare(what);
        const float value = Decimal(what, word);
        if (!(std::fabs(value) <= kFarthest)) {
            Fail(std::string(what) + " \"" + word + "\" out of -1000000..1000000");
        }
        return value;
    }

    Time Duration(std::string_view what)
    {
        const std::string& word = Bare(what);
        std::string_view text = word;
        double scale = 0;
        if (text.ends_with("ms")) {
            text.remove_suffix(2);
            scale = 1e6;
        } else if (text.ends_with("s")) {
            text.remove_suffix(1);
            scale = 1e9;
        }
        const std::string number(text);
        char* end = nullptr;
        const double value = number.empty() ? -1 : std::strtod(number.c_str(), &end);
        if (scale == 0 || end != number.c_str() + number.size() || !(value >= 0) || value * scale > kLongestTime) {
            Fail("bad " + std::string(what) + " \"" + word + "\" (write e.g. 120ms or 2.5s)");
        }
        return Time(std::llround(value * scale));
    }

    // "+8": milliseconds after the time before.
    Time After(std::string_view word, Time before)
    {
        const std::string number(word.substr(1));
        char* end = nullptr;
        const double value = number.empty() || number[0] == '-' || number[0] == '+'
                                 ? -1
                                 : std::strtod(number.c_str(), &end);
        if (end != number.c_str() + number.size() || !(value >= 0) ||
            value * 1e6 + static_cast<double>(before.count()) > kLongestTime) {
            Fail("bad time \"" + std::string(word) + "\" (write e.g. +8 for 8 ms after the line before)");
        }
        return before + Time(std::llround(value * 1e6));
    }

    [[noreturn]] void Fail(const std::string& message) const { throw ReadError(number_, message); }

private:
    int number_;
    std::vector<Word> words_;
    std::size_t next_ = 0;
};

constexpr int kLargestKey = 32767;  // the handlers' 16-bit Integer

What ParseStep(Line& line, bool recording, bool& click)
{
    const std::string kind = line.Bare("event");
    const auto scriptOnly = [&] {
        if (recording) {
            line.Fail("\"" + kind + "\" is for scripts, not recordings");
        }
    };
    if (kind == "key") {
        KeyDownEvent key{line.Whole("key code", 0, kLargestKey)};
        if (line.Accept("shift")) {
            key.Shift = line.Whole("shift state", 0, 7);
        }
        return SessionStep(InputEvent(key));
    }
    if (kind == "move" || kind == "click" || kind == "down" || kind == "up") {
        const float x = line.Coordinate("x");
        const float y = line.Coordinate("y");
        if (kind == "move") {
            MouseMoveEvent move{x, y};
            if (line.Accept("buttons")) {
                move.Buttons = line.Whole("buttons", 0, 7);
            }
            if (line.Accept("shift")) {
                move.Shift = line.Whole("shift state", 0, 7);
            }
            return SessionStep(InputEvent(move));
        }
        if (kind == "up") {
            return SessionStep(InputEvent(MouseUpEvent{x, y}));
        }
        if (kind == "click") {
            scriptOnly();
            click = true;
        }
        return SessionStep(InputEvent(MouseDownEvent{x, y}));
    }
    if (kind == "expose") {
        return SessionStep(InputEvent(ExposeEvent{}));
    }
    if (kind == "close") {
        return SessionStep(InputEvent(CloseEvent{}));
    }
    if (kind == "focus-lost") {
        return SessionStep(InputEvent(FocusLostEvent{}));
    }
    if (kind == "pad-click") {
        return SessionStep(PadClickStep{});
    }
    if (kind == "tick") {
        TickStep tick{line.Bare("timer's name")};
        constexpr std::string_view kNameLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_";
        const bool name = !tick.Timer.empty() && tick.Timer.size() <= 40 &&
                          tick.Timer.find_first_not_of(kNameLetters) == std::string::npos;
        if (!name) {
            line.Fail("bad timer's name \"" + tick.Timer + "\"");
        }
        if (!line.AtEnd()) {
            tick.Index = line.Whole("timer's index", 0, kLargestKey);
        }
        return SessionStep(tick);
    }
    if (kind == "seed") {
        return Seed{line.Whole<std::uint32_t>("seed", 0, UINT32_MAX)};
    }
    if (kind == "score") {
        return Score{line.Whole("score", -32768, 32767)};
    }
    if (kind == "box") {
        return BoxOpen{line.Text("the box's text")};
    }
    if (kind == "closed") {
        const std::string& how = line.Bare("how the box closed");
        if (how == "ok") {
            return BoxClosed{BoxResult::Dismissed};
        }
        if (how == "quit") {
            return BoxClosed{BoxResult::Quit};
        }
        if (how == "not-shown") {
            return BoxClosed{BoxResult::NotShown};
        }
        line.Fail("bad close \"" + how + "\" (ok, quit or not-shown)");
    }
    if (kind == "check") {
        const std::string& digest = line.Bare("check");
        if (digest.size() != 8) {
            line.Fail("bad check \"" + digest + "\" (eight hexadecimal digits)");
        }
        std::uint32_t value = 0;
        const auto [end, error] = std::from_chars(digest.data(), digest.data() + digest.size(), value, 16);
        if (error != std::errc() || end != digest.data() + digest.size()) {
            line.Fail("bad check \"" + digest + "\" (eight hexadecimal digits)");
        }
        return Check{value};
    }
    if (kind == "exit") {
        return Exit{line.Whole("exit status", 0, 255)};
    }
    line.Fail("unknown event \"" + kind + "\"");
}

// Appends the pieces in turn to one string. Chains of "text" + temporary make
// GCC 12 at -O3 warn of an overlapping copy that cannot happen (-Wrestrict).
template <class... Pieces>
void Append(std::string& out, const Pieces&... pieces)
{
    (out.append(pieces), ...);
}

std::string StepText(const SessionStep& step)
{
    if (const auto* tick = std::get_if<TickStep>(&step)) {
        std::string text = "tick ";
        Append(text, tick->Timer);
        if (tick->Index >= 0) {
            Append(text, " ", std::to_string(tick->Index));
        }
        return text;
    }
    if (std::holds_alternative<PadClickStep>(step)) {
        return "pad-click";
    }
    const InputEvent& event = std::get<InputEvent>(step);
    const auto at = [](float x, float y) { return FloatText(x) + " " + FloatText(y); };
    if (const auto* key = std::get_if<KeyDownEvent>(&event)) {
        std::string text = "key ";
        Append(text, std::to_string(key->KeyCode));
        if (key->Shift != 0) {
            Append(text, " shift ", std::to_string(key->Shift));
        }
        return text;
    }
    if (const auto* move = std::get_if<MouseMoveEvent>(&event)) {
        std::string text = "move " + at(move->X, move->Y);
        if (move->Buttons != 0) {
            Append(text, " buttons ", std::to_string(move->Buttons));
        }
        if (move->Shift != 0) {
            Append(text, " shift ", std::to_string(move->Shift));
        }
        return text;
    }
    if (const auto* down = std::get_if<MouseDownEvent>(&event)) {
        return "down " + at(down->X, down->Y);
    }
    if (const auto* up = std::get_if<MouseUpEvent>(&event)) {
        return "up " + at(up->X, up->Y);
    }
    if (std::holds_alternative<FocusLostEvent>(event)) {
        return "focus-lost";
    }
    if (std::holds_alternative<CloseEvent>(event)) {
        return "close";
    }
    return "expose";
}

}  // namespace

ReadError::ReadError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message), line_(line)
{
}

Reader::Reader(std::istream& in) : in_(in)
{
    std::optional<std::string> first = ReadLine();
    if (!first) {
        return;  // empty: no recording, and a script of nothing
    }
    if (!first->starts_with(kMagic)) {
        pending_ = std::move(first);  // a script
        line_ = 0;
        return;
    }
    if (cut_) {
        throw ReadError(1, "the file ends inside its first line");
    }
    Line header(1, Words(1, *first));
    header.Expect(kMagic);
    const int version = header.Whole("format version", 1, 1000000);
    if (version > kFormatVersion) {
        header.Fail("format version " + std::to_string(version) + " is newer than this program reads (" +
                    std::to_string(kFormatVersion) + "); a newer Brennow plays it");
    }
    if (version < kOldestFormatVersion) {
        header.Fail("format version " + std::to_string(version) + " is no longer played");
    }
    version_ = version;
    while (!header.AtEnd()) {
        madeBy_ += (madeBy_.empty() ? "" : " ") + header.Bare("the game's name");
    }
}

std::optional<std::string> Reader::ReadLine()
{
    std::string text;
    for (;;) {
        const int c = in_.get();
        if (c == std::char_traits<char>::eof()) {
            if (text.empty()) {
                return std::nullopt;
            }
            cut_ = true;
            break;
        }
        if (c == '\n') {
            break;
        }
        if (text.size() == kLongestLine) {
            throw ReadError(line_ + 1, "a line longer than " + std::to_string(kLongestLine) + " bytes");
        }
        text += static_cast<char>(c);
    }
    ++line_;
    if (text.ends_with('\r')) {
        text.pop_back();  // written on Windows
    }
    return text;
}

std::optional<Item> Reader::Next()
{
    for (;;) {
        std::optional<std::string> text = std::exchange(pending_, std::nullopt);
        if (text) {
            line_ = 1;
        } else {
            text = ReadLine();
        }
        if (!text || (cut_ && IsRecording())) {
            return std::nullopt;
        }
        if (std::optional<Item> item = Parse(*text)) {
            return item;
        }
    }
}

std::optional<Item> Reader::Parse(const std::string& text)
{
    if (text.find('\0') != std::string::npos) {
        throw ReadError(line_, "a NUL byte: this is no replay file");
    }
    Line line(line_, Words(line_, text));
    if (line.AtEnd()) {
        return std::nullopt;
    }
    Item item;
    item.Line = line_;
    const bool recording = IsRecording();
    if (!recording && line.Accept("seed")) {
        item.Is = BackendSeed{line.Whole<std::uint32_t>("seed", 0, UINT32_MAX)};
    } else if (!recording && line.Accept("box")) {
        line.Expect("after");
        item.Is = BoxDelay{line.Duration("box delay")};
    } else if (!recording && line.Accept("end")) {
        item.Is = EndAt{line.Duration("end time")};
    } else {
        if (line.Peek().starts_with('+')) {
            item.At = line.After(line.Bare("time"), last_);
        } else {
            item.At = line.Duration("time");
        }
        item.Is = ParseStep(line, recording, item.Click);
        if (line.Accept("repeat")) {
            if (recording) {
                line.Fail("\"repeat\" is for scripts, not recordings");
            }
            const int count = line.Whole("repeat count", 1, 1000000);
            line.Expect("every");
            item.Every = line.Duration("repeat interval");
            if (static_cast<double>(item.At.count()) +
                    static_cast<double>(count - 1) * static_cast<double>(item.Every.count()) >
                kLongestTime) {
                line.Fail("the repeats run on for too long");
            }
            item.Count = count;
        }
        if (recording && item.At < last_) {
            line.Fail("the time runs backwards, to " + FormatTime(item.At) + " ms after " + FormatTime(last_) +
                      " ms");
        }
        last_ = item.At;
    }
    line.Finish();
    return item;
}

void RequireRecording(const Reader& reader)
{
    if (!reader.IsRecording()) {
        throw ReadError(1, reader.Empty() ? "the file is empty"
                                          : "not a Brennow replay (the first line names no replay format)");
    }
}

std::string Header(std::string_view madeBy)
{
    return std::string(kMagic) + " " + std::to_string(kFormatVersion) + " " + std::string(madeBy) + "\n";
}

std::string FormatLine(Time at, Time& last, const What& what)
{
    // Whole milliseconds, each time rounded from the start, so that the
    // roundings do not add up.
    const auto ms = [](Time t) { return (t.count() + 500000) / 1000000; };
    const long long delta = std::max(0LL, static_cast<long long>(ms(at) - ms(last)));
    if (at > last) {
        last = at;
    }
    std::string out = "+";
    Append(out, std::to_string(delta), " ");
    if (const auto* step = std::get_if<SessionStep>(&what)) {
        out += StepText(*step);
    } else if (const auto* seed = std::get_if<Seed>(&what)) {
        Append(out, "seed ", std::to_string(seed->Value));
    } else if (const auto* score = std::get_if<Score>(&what)) {
        Append(out, "score ", std::to_string(score->Value));
    } else if (const auto* box = std::get_if<BoxOpen>(&what)) {
        Append(out, "box ", Quoted(box->Text));
    } else if (const auto* closed = std::get_if<BoxClosed>(&what)) {
        out += closed->Result == BoxResult::Quit       ? "closed quit"
               : closed->Result == BoxResult::NotShown ? "closed not-shown"
                                                       : "closed ok";
    } else if (const auto* check = std::get_if<Check>(&what)) {
        char digest[9];
        std::snprintf(digest, sizeof digest, "%08x", static_cast<unsigned>(check->Digest));
        out += "check ";
        out += digest;
    } else if (const auto* exit = std::get_if<Exit>(&what)) {
        Append(out, "exit ", std::to_string(exit->Status));
    }
    return out + "\n";
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

namespace {

// Whether text reads back as value, as a T.
template <class T>
bool ReadsBack(const char* text, T value)
{
    if constexpr (std::is_same_v<T, float>) {
        return std::strtof(text, nullptr) == value;
    } else {
        return std::strtod(text, nullptr) == value;
    }
}

// What std::to_chars writes, from printf: the fewest significant digits that
// read back as the value, fixed or in scientific notation, whichever is
// shorter, fixed on a tie. The checks' digests are made of this text, so
// every platform must write it alike.
template <class T>
std::string ShortestByPrintf(T value)
{
    const double wide = value;
    char scientific[32];
    if (!std::isfinite(wide)) {
        std::snprintf(scientific, sizeof scientific, "%g", wide);
        return scientific;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(scientific, sizeof scientific, "%.*e", digits - 1, wide);
        if (digits == 17 || ReadsBack(scientific, value)) {
            const int exponent = std::atoi(std::strchr(scientific, 'e') + 1);
            const int decimals = std::max(0, digits - 1 - exponent);
            std::string fixed(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.*f", decimals, wide)), '\0');
            std::snprintf(fixed.data(), fixed.size() + 1, "%.*f", decimals, wide);
            return fixed.size() <= std::strlen(scientific) ? fixed : std::string(scientific);
        }
    }
    return scientific;  // not reached: 17 digits read back as any double
}

template <class T>
std::string Shortest(T value)
{
#if defined(__EMSCRIPTEN__)
    // The web build's library has no std::to_chars for floating point.
    return ShortestByPrintf(value);
#else
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
#endif
}

}  // namespace

std::string FloatText(float value)
{
    return Shortest(value);
}

std::string FloatText(double value)
{
    return Shortest(value);
}

std::string FloatTextByPrintf(float value)
{
    return ShortestByPrintf(value);
}

std::string FloatTextByPrintf(double value)
{
    return ShortestByPrintf(value);
}

std::uint32_t Digest(std::string_view state)
{
    std::uint32_t hash = 2166136261U;
    for (const char c : state) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    }
    return hash;
}

}  // namespace platform::replay
