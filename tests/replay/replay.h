// Deterministic replay: a seed and a timestamped list of input events, played
// on the headless backend, give a trace of the game's state after every timer
// tick and every handled input event. Two runs of the same script give the
// same trace byte for byte, so a committed trace shows any change of
// behaviour as a diff.
//
// The script's format is the replay files' (platform/replay/format.h,
// docs/replays.md): a script has no header line, settings, and steps at
// times from the start, which may come again ("repeat 3 every 33ms"). A
// recording, with its header, plays back as it was recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/game_view.h"
#include "game/frmBomber.h"
#include "platform/headless/headless_backend.h"
#include "platform/replay/format.h"

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
using ScriptError = platform::replay::ReadError;

Script ParseScript(std::istream& in);
Script ParseScript(std::string_view text);

using platform::replay::FormatTime;
// How an input event reads in a trace: "key 39", "move 250,180", ...
std::string Describe(const platform::InputEvent& event);
using app::DescribeState;

// Plays the script on a fresh game and writes the trace; the exit status of
// the program if it ended, else 0.
// With recording, the session is also written there, as the game records one.
int Replay(const Script& script, std::ostream& trace, std::string* recording = nullptr);
// Plays a recording back on a fresh game and writes the trace, as Replay
// does; the player's verdict in verdict: empty when it played as recorded.
int PlayBack(std::istream& recording, std::ostream& trace, std::string& verdict);

// The one place that answers the headless backend's message boxes: open runs
// while the box is up (it may advance the clock or post input), then the box
// is dismissed as by its OK button.
void AnswerBoxes(platform::HeadlessBackend& backend,
                 std::function<void(const platform::HeadlessBackend::MessageBox&)> open);

}  // namespace replay
