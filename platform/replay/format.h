// The one reader and writer of replay files: the hand-written input scripts
// the tests play, and the recordings of whole sessions. docs/replays.md
// describes the format; in short, one item a line, "#" starts a comment:
//
//   brennow-replay 1 Brennow 1.0.0    a recording's first line: the format, its version, the game's
//   seed 20261208                     a script's settings: the headless backend's seed,
//   box after 1500ms                  how long each box stays open,
//   end 30s                           and when the script ends
//   120ms key 39 shift 1              a step at a time from the start ("120ms", "2.5s"),
//   +8 move 250 180                   or in milliseconds after the step before
//   ...
//
// The file is read as a stream, a line at a time, each line at most
// kLongestLine bytes: any file is read in bounded memory or refused.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

#include "platform/core/journal.h"

namespace platform::replay {

inline constexpr std::string_view kMagic = "brennow-replay";
// The format's version this program writes, and the oldest it still plays.
inline constexpr int kFormatVersion = 1;
inline constexpr int kOldestFormatVersion = 1;
inline constexpr std::size_t kLongestLine = 1024;

// What the player and the recorder need of the game: its state, as one line
// a check's digest is made of, and the score of the round that just ended.
struct GameView {
    std::function<std::string()> State;
    std::function<int()> Score;
};

// A file that cannot be read; what() names the line.
class ReadError : public std::runtime_error {
public:
    ReadError(int line, const std::string& message);
    int Line() const { return line_; }

private:
    int line_;
};

// A script's settings.
struct BackendSeed {
    std::uint32_t Value = 1;
};
struct BoxDelay {
    Time Delay{};
};
struct EndAt {
    Time At{};
};
// What a recording keeps beside the steps.
struct Seed {
    std::uint32_t Value = 0;
};
struct Score {
    int Value = 0;
};
struct BoxOpen {
    std::string Text;
};
struct BoxClosed {
    BoxResult Result = BoxResult::Dismissed;
};
struct Check {
    std::uint32_t Digest = 0;
};
struct Exit {
    int Status = 0;
};

using What = std::variant<SessionStep, Seed, Score, BoxOpen, BoxClosed, Check, Exit, BackendSeed, BoxDelay, EndAt>;

struct Item {
    int Line = 0;
    Time At{};  // for the timed items: all but the settings
    What Is;
    // A script's step may come again: "repeat 3 every 33ms".
    int Count = 1;
    Time Every{};
    // A script's "click": the step is the press, a release at once follows.
    bool Click = false;
};

class Reader {
public:
    // Reads the first line: a recording's header, or a script's first item;
    // a recording's that is cut or names a format this program cannot read
    // is refused.
    explicit Reader(std::istream& in);

    bool IsRecording() const { return version_ > 0; }
    // The file holds nothing at all.
    bool Empty() const { return line_ == 0 && !pending_; }
    int Version() const { return version_; }
    // The game and version that recorded it ("Brennow 1.0.0").
    const std::string& MadeBy() const { return madeBy_; }

    // The next item; none at the end of the file. A recording's last line
    // without its newline is where a killed recording was cut: it is left out.
    std::optional<Item> Next();
    // The end came, and the file's last line had no newline.
    bool Cut() const { return cut_; }
    int LineNumber() const { return line_; }

private:
    // The next line, its line ending taken off; none at the end.
    std::optional<std::string> ReadLine();
    std::optional<Item> Parse(const std::string& text);

    std::istream& in_;
    int line_ = 0;
    int version_ = 0;
    std::string madeBy_;
    bool cut_ = false;
    std::optional<std::string> pending_;  // a script's first line, read with the header's look
    Time last_{};
};

// Refuses, by a ReadError, a file that holds no recording: an empty one, or
// a script.
void RequireRecording(const Reader& reader);

// Writing: one line each, with its newline. Times are written in whole
// milliseconds after the line before (last, updated).
std::string Header(std::string_view madeBy);
std::string FormatLine(Time at, Time& last, const What& what);

// "1015.625": milliseconds, at least three decimals, more only when needed.
std::string FormatTime(Time time);
// Text on one line in quotes, so that a box's line breaks keep the line.
std::string Quoted(std::string_view text);
// A number as the shortest text that reads back as the same number.
std::string FloatText(float value);
std::string FloatText(double value);
// The same text made with printf, for the web build, whose library lacks
// std::to_chars for floating point.
std::string FloatTextByPrintf(float value);
std::string FloatTextByPrintf(double value);
// The digest a check keeps of the game's state (FNV-1a).
std::uint32_t Digest(std::string_view state);

}  // namespace platform::replay
