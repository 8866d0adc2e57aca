// The one wait for SDL's events, for the game window's loop and the box's
// alike: the pads are read meanwhile at their pace, and a failed wait ends
// the program instead of letting the loop around it spin.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/gamepad.h"
#include "platform/sdl/pads.h"

union SDL_Event;

namespace platform {

// How a wait for SDL's events ended.
enum class WaitEnd { Event, Empty, Failed };
// A wait for SDL's next event, for timeout milliseconds (0: only a look, -1:
// no limit).
using EventWaitFunction = WaitEnd (*)(SDL_Event* event, int timeout);
// SDL's own. SDL says only 0 both when the time has come and when the wait
// failed: a wait without a limit that ends empty has failed, and so has one
// whose event queue then no longer answers (its one way to fail).
WaitEnd SdlWait(SDL_Event* event, int timeout);

// Waits for SDL's next event until wake at the latest (none: no limit); true
// with the event in event, false when the wait ended without one. A failed
// wait throws std::runtime_error with SDL's reason, so that the program ends
// reporting it rather than spinning in the loop around the wait. The window
// system's own failures are checked after each wait, and throw too. wait is
// SdlWait (null), or a test's that fails.
bool WaitForEvent(std::optional<Time> wake, Time now, SDL_Event& event, EventWaitFunction wait = nullptr);

// What a loop waits for: SDL's next event, or a change on a pad. Each loop
// has its own, so that what was read for one never reaches the other.
class EventsAndPads {
public:
    enum class Got {
        Nothing,  // the deadline passed
        Event,    // SDL's, in event
        Pad,      // a pad's change, in pad
    };

    EventsAndPads(SdlPads& pads, std::function<Time()> now, EventWaitFunction wait = nullptr)
        : pads_(pads), now_(std::move(now)), wait_(wait)
    {
    }

    // The next event or pad change, waiting until deadline at the latest
    // (none: no limit). News of a pad plugged in or out is taken here; its
    // releases are handed over.
    Got Next(std::optional<Time> deadline, SDL_Event& event, PadEvent& pad);
    // The same as a loop's Input (the game's InputEvent, the box's
    // BoxInput): a pad's change as it is, an event as take makes it, and an
    // event take makes nothing of waited past; none once the deadline has
    // passed.
    template <class Input>
    std::optional<Input> Next(std::optional<Time> deadline,
                              const std::function<std::optional<Input>(const SDL_Event&)>& take);
    // Drops what was read from the pads and not yet handed over.
    void DropPads();

private:
    SdlPads& pads_;
    std::function<Time()> now_;
    EventWaitFunction wait_;
    std::vector<PadEvent> padInput_;  // read from the pads, not yet handed over
    std::size_t padNext_ = 0;  // the next of them to hand over
};

}  // namespace platform
