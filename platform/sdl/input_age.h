// Input the window system made before a moment, dropped as SDL queues it.
// SDL stamps an event only when it queues it, which behind a backlog can be
// long after the player made it; the window system's own time says when it
// was made. Each window-system file feeds one of these from SDL's event
// filter.
#pragma once

#include <cstdint>
#include <optional>

union SDL_Event;

namespace platform {

class InputAge {
public:
    // The window system's time, in milliseconds that wrap at 32 bits, of what
    // SDL is about to queue; none when it came without one.
    void Made(std::optional<std::uint32_t> time)
    {
        made_ = time;
        if (time) {
            latest_ = time;
        }
    }
    // The latest time the window system gave, if any yet.
    std::optional<std::uint32_t> Latest() const { return latest_; }

    // From now on, input made at or before time is dropped.
    void DropUntil(std::uint32_t time) { dropUntil_ = time; }

    // Whether SDL should queue event.
    bool Keep(const SDL_Event& event) const;

private:
    std::optional<std::uint32_t> made_;
    std::optional<std::uint32_t> latest_;
    std::optional<std::uint32_t> dropUntil_;
};

}  // namespace platform
