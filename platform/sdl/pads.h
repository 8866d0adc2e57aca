// The gamepads SDL finds, read on the runtime's clock. SDL would update them
// on its own in every wait and then poll once a millisecond while any is
// attached; instead they are sampled here at most 60 times a second while
// one is connected and a window of the game has the focus (20 a second once
// none has moved for a while), and otherwise only looked for every 3 seconds.
#pragma once

#include <chrono>
#include <optional>
#include <vector>

#include "platform/core/gamepad.h"

union SDL_Event;
struct _SDL_GameController;
struct _SDL_Joystick;

namespace platform {

class SdlPads {
public:
    using Time = std::chrono::nanoseconds;

    SdlPads() = default;
    ~SdlPads();
    SdlPads(const SdlPads&) = delete;
    SdlPads& operator=(const SdlPads&) = delete;

    // Starts SDL's controller subsystem, the first time only. It costs a few
    // milliseconds, so the backend starts it once the first frame shows;
    // where it cannot start the game plays on without pads.
    void Start(Time now);
    // Lets go of the pads and the subsystem; before SDL_Quit, which frees them.
    void Stop();
    // When Sample has something to do next; none before Start.
    std::optional<Time> NextSample() const;
    // Reads the pads, and looks for new ones, if that is due by now; what
    // changed goes to out.
    void Sample(Time now, std::vector<PadEvent>& out);
    // Takes SDL's news of a pad plugged in or out; false for any other event.
    bool Handle(const SDL_Event& event, std::vector<PadEvent>& out);
    // Reads the pads at the next chance: a window of the game has the focus
    // again (without it, SDL drops a pad's presses, and they are not read).
    // What was held while it lacked the focus counts only once let go and
    // pressed again.
    void SampleSoon();
    bool Connected() const { return !pads_.empty(); }

private:
    struct Pad {
        int Id = 0;  // SDL's instance id, never reused while the program runs
        _SDL_GameController* Controller = nullptr;  // SDL's database knows it
        _SDL_Joystick* Joystick = nullptr;  // it does not, but it has a hat: the hat is its d-pad
    };
    void Open(int deviceIndex);
    void Close(int id, std::vector<PadEvent>& out);
    void Read(std::vector<PadEvent>& out);

    bool started_ = false;
    bool unfocused_ = false;  // a sample found no window of the game with the focus
    std::vector<Pad> pads_;
    PadReader reader_;
    PadPace pace_;
    Time next_{};
};

}  // namespace platform
