// What a recording keeps of a session and a playback gives back: every step
// the runtime takes with the form, in order. Real-time play is not
// reproducible from input times alone (timers are armed from the clock read
// after each handler), so the runtime's own steps are kept: the input as it
// was dispatched, each timer's tick, each seed handed out, each box's opening
// and closing. Played back, the runtime takes exactly those steps; their
// times only set the pace.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/core/backend.h"
#include "platform/core/clock.h"

namespace platform {

// A timer's tick, by the timer's name (and index, in a control array).
struct TickStep {
    std::string Timer;
    int Index = -1;
    friend bool operator==(const TickStep&, const TickStep&) = default;
};
// A pad's press that became a click where the form puts its prompt. A pad's
// press that became a key is kept as that key; the pad itself is not kept,
// so that a playback does not repeat on top of the recorded repeats.
struct PadClickStep {
    friend bool operator==(const PadClickStep&, const PadClickStep&) = default;
};
// Input (never a PadEvent), a tick, or a pad's click.
using SessionStep = std::variant<InputEvent, TickStep, PadClickStep>;

// Times are from the start of the recording or playback.
class Journal {
public:
    virtual ~Journal() = default;
    // Before the runtime takes the step.
    virtual void Took(Time at, const SessionStep& step) = 0;
    virtual void Seeded(Time at, std::uint32_t seed) = 0;
    virtual void BoxOpened(Time at, std::string_view text) = 0;
    virtual void BoxClosed(Time at, BoxResult result) = 0;
    // The program ended with this exit status.
    virtual void Ended(Time at, int status) = 0;
};

class Playback {
public:
    virtual ~Playback() = default;
    struct Timed {
        Time At{};
        SessionStep What;
    };
    // The next step; none when the recording ends or the game took another
    // way than the recording (the playback says which).
    virtual std::optional<Timed> Next() = 0;
    // The seed the game is handed now.
    virtual std::uint32_t Seed() = 0;
    // A box opens with text: when it closed, and how.
    struct BoxClose {
        Time At{};
        BoxResult Result = BoxResult::Dismissed;
    };
    virtual BoxClose Box(std::string_view text) = 0;
    // The game stepped outside the recording (a tick of a timer that is
    // off, say): the playback stops there.
    virtual void Diverged(std::string_view what) = 0;
};

}  // namespace platform
