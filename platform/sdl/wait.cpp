#include "platform/sdl/wait.h"

#include <SDL.h>

#include <stdexcept>
#include <string>

#include "platform/core/box_loop.h"
#include "platform/sdl/window_system.h"

namespace platform {

WaitEnd SdlWait(SDL_Event* event, int timeout)
{
    if (SDL_WaitEventTimeout(event, timeout) != 0) {
        return WaitEnd::Event;
    }
    const bool failed = timeout < 0 || SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) < 0;
    return failed ? WaitEnd::Failed : WaitEnd::Empty;
}

bool WaitForEvent(std::optional<Time> wake, Time now, SDL_Event& event, EventWaitFunction wait)
{
    const int timeout = wake ? WaitMilliseconds(*wake, now) : -1;
    const WaitEnd end = (wait != nullptr ? wait : SdlWait)(&event, timeout);
    window_system::CheckDisplay();
    if (end == WaitEnd::Failed) {
        throw std::runtime_error(std::string("the wait for input failed: ") + SDL_GetError());
    }
    return end == WaitEnd::Event;
}

EventsAndPads::Got EventsAndPads::Next(std::optional<Time> deadline, SDL_Event& event, PadEvent& pad)
{
    for (;;) {
        if (padNext_ < padInput_.size()) {
            pad = padInput_[padNext_++];
            return Got::Pad;
        }
        DropPads();
        pads_.Sample(now_(), padInput_);
        if (!padInput_.empty()) {
            continue;
        }
        // The wait ends for the deadline, or earlier to read the pads.
        std::optional<Time> wake = deadline;
        if (const std::optional<Time> sample = pads_.NextSample(); sample && (!wake || *sample < *wake)) {
            wake = sample;
        }
        if (!WaitForEvent(wake, now_(), event, wait_)) {
            if (wake == deadline || (deadline && WaitMilliseconds(*deadline, now_()) == 0)) {
                return Got::Nothing;
            }
            continue;  // time to read the pads
        }
        if (pads_.Handle(event, padInput_)) {
            continue;
        }
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            pads_.SampleSoon();  // a window of the game has the focus again: its presses are read
        }
        return Got::Event;
    }
}

template <class Input>
std::optional<Input> EventsAndPads::Next(std::optional<Time> deadline,
                                         const std::function<std::optional<Input>(const SDL_Event&)>& take)
{
    SDL_Event event;
    PadEvent pad;
    for (;;) {
        switch (Next(deadline, event, pad)) {
        case Got::Nothing:
            return std::nullopt;
        case Got::Pad:
            return pad;
        case Got::Event:
            if (std::optional<Input> taken = take(event)) {
                return taken;
            }
            break;
        }
    }
}
template std::optional<InputEvent> EventsAndPads::Next(
    std::optional<Time>, const std::function<std::optional<InputEvent>(const SDL_Event&)>&);
template std::optional<BoxInput> EventsAndPads::Next(std::optional<Time>,
                                                     const std::function<std::optional<BoxInput>(const SDL_Event&)>&);

void EventsAndPads::DropPads()
{
    padInput_.clear();
    padNext_ = 0;
}

}  // namespace platform
