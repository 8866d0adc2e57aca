// Gamepads as the platform's keys and clicks: the one place that decides what
// a pad's d-pad, stick and buttons mean, for every backend. A pad only ever
// does what the keyboard and the mouse already do: a direction is an arrow
// key, held it repeats as a held arrow key does, A and Start are the click.
//
// Backends sample their pads and hand each pad's state to a PadReader, which
// tells presses and releases apart; the runtime hands those to PadKeys, which
// turns them into key-downs and clicks and keeps the repeat beside the
// timers, on the same clock.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// What a pad shows at one moment, as far as the game can use it.
struct PadState {
    // The d-pad; on a pad with no known mapping, its hat switch.
    bool Up = false;
    bool Down = false;
    bool Left = false;
    bool Right = false;
    float StickX = 0;  // the left stick, -1 left to 1 right
    float StickY = 0;  // -1 up to 1 down
    bool A = false;  // the bottom face button
    bool B = false;  // the right face button
    bool Start = false;
    friend bool operator==(const PadState&, const PadState&) = default;
};

// The parts of a pad that do something, each a key of its own. The stick
// points one way at a time: turning it from right to up lets go of StickRight
// and presses StickUp.
enum class PadControl : std::uint8_t {
    DpadUp, DpadDown, DpadLeft, DpadRight,
    StickUp, StickDown, StickLeft, StickRight,
    A, B, Start,
};
constexpr std::size_t kPadControls = 11;

// A control of a pad pressed or let go.
struct PadEvent {
    int Pad = 0;  // the backend's number for the pad, not reused while it is connected
    PadControl Control = PadControl::A;
    bool Pressed = true;
    friend bool operator==(const PadEvent&, const PadEvent&) = default;
};

// The arrow key's virtual-key code a direction stands for; 0 for a button.
int PadArrowKey(PadControl control);

// Whether this closes the message box as its OK button or Enter does: A,
// Start or B pressed. Everything else a pad does is dropped by the box.
bool PadClosesBox(const PadEvent& event);

// The stick steers as a d-pad does, so it counts as pointing somewhere only
// once one axis is pushed half way out: a worn stick may rest well past
// XInput's dead zone (7849 of 32767), at 0.3 and shaking by 0.1, and a dead
// zone measured from where the stick rests would take a stick held pushed as
// the pad connects for its rest. Half way is still a small push for a
// direction. Along a diagonal the axis pushed further wins.
constexpr float kStickDeadZone = 0.5F;
// A stick held near the dead zone's edge or along a diagonal shakes; without
// this margin every shake would be a fresh press, and a fresh press is a
// step. The way it points changes only once the new way wins by this much,
// or it is let go only once back this far inside.
constexpr float kStickHysteresis = 0.1F;

// Which way the stick at (x, y) points, given the way it pointed before.
std::optional<PadControl> StickDirection(float x, float y, std::optional<PadControl> before);

// Pads are read at most this often, and only while one is connected: reading
// them is the one polling the loop does.
constexpr std::chrono::nanoseconds kPadSampleInterval = std::chrono::nanoseconds(1'000'000'000 / 60 + 1);
// Once no pad has moved for kPadRestAfter they are read only this often:
// each reading wakes the process, and a pad lies untouched most of the time
// the game waits. A press then comes up to 33 ms later than at the full
// rate, 17 ms on average; any change brings the full rate back.
constexpr std::chrono::nanoseconds kPadRestInterval = std::chrono::milliseconds(50);
constexpr std::chrono::nanoseconds kPadRestAfter = std::chrono::seconds(2);

// Turns what each pad shows into presses and releases. A control counts as
// pressed only once it has been seen let go: one held as its pad connects,
// or held while the game's window lacked the focus, does nothing until it
// is let go and pressed again, as a key held before a window had the focus
// is not typed into it.
class PadReader {
public:
    // What changed on pad since it was last read. Releases come first, then
    // presses, each in the order of PadControl; a control's release comes
    // only after its press did.
    std::vector<PadEvent> Read(int pad, const PadState& state);
    // The pad is gone: whatever it pressed is let go.
    std::vector<PadEvent> Remove(int pad);
    // The window has the focus again: what is held now must be let go first.
    void Refocus();
    bool Empty() const { return pads_.empty(); }
    // How often what the pads show has changed (a control held or let go, a
    // pad come or gone), counted or not: what tells a pad in use from one
    // lying untouched.
    std::uint64_t Moves() const { return moves_; }

private:
    struct Known {
        int Pad = 0;
        std::array<bool, kPadControls> Held{};  // at the last reading
        bool Unseen = true;  // what it holds now is not a press: it connected, or the focus came back
        std::array<bool, kPadControls> Pressed{};  // its press went out, its release has not
        std::optional<PadControl> Stick;  // the way the stick pointed at the last reading
    };
    std::vector<Known> pads_;
    std::uint64_t moves_ = 0;
};

// How often the pads are read: at the full rate while one is in use, and
// at the slower rate once none has moved for a while.
class PadPace {
public:
    // The time from a reading at now to the next, given the reader's Moves()
    // then.
    std::chrono::nanoseconds After(std::chrono::nanoseconds now, std::uint64_t moves);

private:
    std::uint64_t moves_ = 0;
    std::optional<std::chrono::nanoseconds> moved_;
};

// What a pad's press does in the game's window.
struct PadAction {
    enum Kind { Key, Click } What = Key;
    int KeyCode = 0;  // for a key
    friend bool operator==(const PadAction&, const PadAction&) = default;
};

// Presses and releases as key-downs and clicks, and the auto-repeat of a held
// direction, as the old desktop repeated a held key: the first repeat after
// its default keyboard delay (setting 1 of 0 to 3: 500 ms), then at its
// default keyboard speed (setting 31, the fastest: 30 a second). Only the
// latest direction pressed, on any pad, repeats; releasing sends nothing.
class PadKeys {
public:
    static constexpr std::chrono::nanoseconds kRepeatDelay = std::chrono::milliseconds(500);
    static constexpr int kRepeatsPerSecond = 30;

    // A press or release at time at; what it does at once, if anything.
    std::optional<PadAction> Change(const PadEvent& event, std::chrono::nanoseconds at);
    // The held direction stops repeating, as a held key does when the box
    // opens or the window loses the focus; it is pressed afresh to go on.
    void Stop() { repeating_.reset(); }
    // When the next repeat is due; none while nothing repeats.
    std::optional<std::chrono::nanoseconds> Deadline() const;
    // The key of a repeat due by now, and the next one armed; none if none
    // is due. A repeat that has fallen a whole interval behind comes once
    // and the rate starts again from now, as a timer's ticks do.
    std::optional<int> Repeat(std::chrono::nanoseconds now);

private:
    struct Repeating {
        int Pad = 0;
        PadControl Control = PadControl::DpadUp;
        int KeyCode = 0;
        std::chrono::nanoseconds From{};  // the first repeat's time, or when the rate started again
        std::int64_t Count = 0;  // repeats since From
    };
    static std::chrono::nanoseconds Due(const Repeating& repeating);
    std::optional<Repeating> repeating_;
};

}  // namespace platform
