// Deterministic replay: a seed and a timestamped list of input events, played
// on the headless backend, give a trace of the game's state after every timer
// tick and every handled input event. Two runs of the same script give the
// same trace byte for byte, so a committed trace shows any change of
// behaviour as a diff.
//
// The script, one item a line; "#" starts a comment:
//   seed 20261208           the backend's seed (default 1)
//   box after 1500ms        each message box stays open this long (default 0)
//   end 30s                 play until this time (default: last event + 1s)
//   120ms key 39            a key; optional "shift N"
//   300ms move 250 180      the pointer moves over the window
//   310ms click 200 180     press and release at one place
//   310ms down 200 180      press, or "up": the two halves of a click
//   400ms expose            the window must be drawn again
//   900ms close             the window is closed
// Any event may end in "repeat N every 33ms", as a held key repeats.
// Times are "<number>ms" or "<number>s"; coordinates may be fractional.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "game/frmBomber.h"
#include "platform/headless/headless_backend.h"

namespace replay {

struct TimedEvent {
    platform::Time At{};
    platform::InputEvent Event;
};

struct Script {
    std::uint32_t Seed = 1;
    platform::Time BoxDelay{};
    std::optional<platform::Time> End;
    std::vector<TimedEvent> Events;  // in the order they were written
};

// A script that cannot be read; what() names the line.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Script ParseScript(std::istream& in);
Script ParseScript(std::string_view text);

// "1015.625": milliseconds, at least three decimals, more only when needed.
std::string FormatTime(platform::Time time);
// How an input event reads in a trace: "key 39", "move 250,180", ...
std::string Describe(const platform::InputEvent& event);
// The game's state as a trace line shows it after "|".
std::string DescribeState(frmBomber& form);

// Plays the script on a fresh game and writes the trace; the exit status of
// the program if it ended, else 0.
int Replay(const Script& script, std::ostream& trace);

// The one place that answers the headless backend's message boxes: open runs
// while the box is up (it may advance the clock or post input), then the box
// is dismissed as by its OK button.
void AnswerBoxes(platform::HeadlessBackend& backend,
                 std::function<void(const platform::HeadlessBackend::MessageBox&)> open);

}  // namespace replay
