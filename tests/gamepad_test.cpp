// Gamepads as keys and clicks: what each pad shows over time, read the way a
// backend reads it and repeated the way the runtime repeats it, gives the
// key-downs and clicks a keyboard and a mouse would, at the times they would.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>
#include <vector>

#include "platform/core/gamepad.h"
#include "platform/core/virtual_keys.h"
#include "platform/web/browser_pad.h"

using namespace platform;
using namespace std::chrono_literals;
using Time = std::chrono::nanoseconds;

namespace {

constexpr int kClick = -1;

struct Output {
    Time At;
    int Key = 0;  // kClick for a click
    friend bool operator==(const Output&, const Output&) = default;
};

void PrintTo(const Output& output, std::ostream* os)
{
    *os << (output.Key == kClick ? std::string("click") : "key " + std::to_string(output.Key)) << " at "
        << output.At.count() << " ns";
}

// One moment of the script: a pad shows a state (connected at rest before,
// unless it connects showing it), a pad is unplugged, the repeat is stopped
// (the box opened, the focus went), the focus comes back, or the loop, busy
// since the step before, wakes only then.
struct Step {
    enum Kind { Show, Connect, Unplug, Stop, Refocus, Stall } What = Show;
    Time At;
    int Pad = 0;
    PadState State;
};

Step Show(Time at, int pad, PadState state) { return {Step::Show, at, pad, state}; }
Step Connect(Time at, int pad, PadState state) { return {Step::Connect, at, pad, state}; }
Step Unplug(Time at, int pad) { return {Step::Unplug, at, pad, {}}; }
Step Refocus(Time at) { return {Step::Refocus, at, 0, {}}; }
Step Stop(Time at) { return {Step::Stop, at, 0, {}}; }
Step WakeLate(Time at) { return {Step::Stall, at, 0, {}}; }

PadState Dpad(bool up, bool down, bool left, bool right)
{
    PadState state;
    state.Up = up;
    state.Down = down;
    state.Left = left;
    state.Right = right;
    return state;
}
const PadState kNothing;
const PadState kRight = Dpad(false, false, false, true);
const PadState kUp = Dpad(true, false, false, false);
const PadState kUpRight = Dpad(true, false, false, true);
PadState Stick(float x, float y)
{
    PadState state;
    state.StickX = x;
    state.StickY = y;
    return state;
}
PadState Buttons(bool a, bool b, bool start)
{
    PadState state;
    state.A = a;
    state.B = b;
    state.Start = start;
    return state;
}

// Runs the script as the runtime runs the loop: input is handled when it
// comes (before a repeat due at the same moment), repeats at their deadlines.
std::vector<Output> Play(const std::vector<Step>& script, Time until)
{
    PadReader reader;
    PadKeys keys;
    std::vector<Output> out;
    std::vector<int> connected;
    const auto repeatBefore = [&](Time limit, bool inclusive) {
        while (const std::optional<Time> due = keys.Deadline()) {
            if (*due > limit || (!inclusive && *due == limit)) {
                break;
            }
            out.push_back({*due, *keys.Repeat(*due)});
        }
    };
    for (const Step& step : script) {
        if (step.What == Step::Stall) {
            // The loop wakes only now: what is due comes once.
            while (const std::optional<int> key = keys.Repeat(step.At)) {
                out.push_back({step.At, *key});
            }
            continue;
        }
        repeatBefore(step.At, false);
        std::vector<PadEvent> changes;
        if ((step.What == Step::Show || step.What == Step::Connect) &&
            std::find(connected.begin(), connected.end(), step.Pad) == connected.end()) {
            connected.push_back(step.Pad);
            if (step.What == Step::Show) {
                EXPECT_TRUE(reader.Read(step.Pad, kNothing).empty());
            }
        }
        switch (step.What) {
        case Step::Show:
        case Step::Connect:
            changes = reader.Read(step.Pad, step.State);
            break;
        case Step::Unplug:
            changes = reader.Remove(step.Pad);
            std::erase(connected, step.Pad);
            break;
        case Step::Stop:
            keys.Stop();
            break;
        case Step::Refocus:
            reader.Refocus();
            break;
        case Step::Stall:
            break;
        }
        for (const PadEvent& change : changes) {
            if (const std::optional<PadAction> action = keys.Change(change, step.At)) {
                out.push_back({step.At, action->What == PadAction::Click ? kClick : action->KeyCode});
            }
        }
    }
    repeatBefore(until, true);
    return out;
}

// The repeat's times: 500 ms after the press, then 30 a second, exactly.
Time Repeat(Time pressed, int n)
{
    return pressed + 500ms + Time(std::int64_t{n} * 1'000'000'000 / 30);
}
// key pressed at pressed, then every repeat before end.
std::vector<Output> Held(int key, Time pressed, Time end)
{
    std::vector<Output> out{{pressed, key}};
    for (int n = 0; Repeat(pressed, n) < end; ++n) {
        out.push_back({Repeat(pressed, n), key});
    }
    return out;
}
std::vector<Output> Join(std::vector<std::vector<Output>> parts)
{
    std::vector<Output> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

}  // namespace

TEST(Gamepad, PressesHoldsAndReleasesGiveTheKeyboardsKeyDowns)
{
    struct Case {
        std::string Name;
        std::vector<Step> Script;
        Time Until;
        std::vector<Output> Expected;
    };
    const std::vector<Case> cases = {
        {"a tap is one step",
         {Show(0ms, 1, kRight), Show(100ms, 1, kNothing)}, 2s, {{0ms, vk::Right}}},
        {"let go just before the delay ends: no repeat",
         {Show(0ms, 1, kRight), Show(499ms, 1, kNothing)}, 2s, {{0ms, vk::Right}}},
        {"held 600 ms: the repeat after 500 ms, then 30 a second; the one due as it is let go does not come",
         {Show(0ms, 1, kRight), Show(600ms, 1, kNothing)}, 2s, Held(vk::Right, 0ms, 600ms)},
        {"held 3.2 s: the rate does not drift",
         {Show(10ms, 1, kUp), Show(3210ms, 1, kNothing)}, 4s, Held(vk::Up, 10ms, 3210ms)},
        {"the latest direction pressed repeats, the earlier one never again",
         {Show(0ms, 1, kRight), Show(300ms, 1, kUpRight), Show(1000ms, 1, kRight)}, 2s,
         Join({{{0ms, vk::Right}}, Held(vk::Up, 300ms, 1000ms)})},
        {"letting go of the earlier direction leaves the latest repeating",
         {Show(0ms, 1, kRight), Show(300ms, 1, kUpRight), Show(400ms, 1, kUp), Show(900ms, 1, kNothing)}, 2s,
         Join({{{0ms, vk::Right}}, Held(vk::Up, 300ms, 900ms)})},
        {"a d-pad pressed on its diagonal at once: both step, the later in order repeats",
         {Show(0ms, 1, kUpRight), Show(700ms, 1, kNothing)}, 2s,
         Join({{{0ms, vk::Up}}, Held(vk::Right, 0ms, 700ms)})},
        {"two pads: the latest press wins, whichever pad made it",
         {Show(0ms, 1, kRight), Show(200ms, 2, kUp), Show(800ms, 2, kNothing), Show(900ms, 1, kNothing)}, 2s,
         Join({{{0ms, vk::Right}}, Held(vk::Up, 200ms, 800ms)})},
        {"the other pad letting go of the same direction does not stop it",
         {Show(0ms, 2, kRight), Show(100ms, 1, kRight), Show(200ms, 2, kNothing), Show(650ms, 1, kNothing)}, 2s,
         Join({{{0ms, vk::Right}}, Held(vk::Right, 100ms, 650ms)})},
        {"the stick past the dead zone steers; along a diagonal the axis pushed further wins",
         {Show(0ms, 1, Stick(0.8F, -0.6F)), Show(200ms, 1, Stick(0.6F, -0.8F)), Show(800ms, 1, Stick(0, 0))}, 2s,
         Join({{{0ms, vk::Right}}, Held(vk::Up, 200ms, 800ms)})},
        {"inside the dead zone the stick does nothing",
         {Show(0ms, 1, Stick(0.2F, -0.2F)), Show(100ms, 1, Stick(-0.23F, 0.1F)), Show(200ms, 1, Stick(0, 0.23F))},
         2s, {}},
        {"a stick shaking at the dead zone's edge or on the diagonal is one press",
         {Show(0ms, 1, Stick(0.52F, 0)), Show(100ms, 1, Stick(0.41F, 0.0F)), Show(150ms, 1, Stick(0.58F, 0.02F)),
          Show(200ms, 1, Stick(0.70F, 0.70F)), Show(250ms, 1, Stick(0.65F, 0.74F)), Show(300ms, 1, Stick(0.1F, 0))},
         2s, {{0ms, vk::Right}}},
        {"a worn stick resting at 0.3 does nothing, steady or shaking by 0.1, either way and on both axes",
         {Show(0ms, 1, Stick(0.3F, 0)), Show(20ms, 1, Stick(0.4F, 0.1F)), Show(40ms, 1, Stick(0.2F, -0.1F)),
          Show(60ms, 1, Stick(0.39F, 0)), Show(80ms, 1, Stick(0.3F, 0.3F)), Show(100ms, 1, Stick(-0.3F, 0.4F)),
          Show(120ms, 1, Stick(-0.4F, -0.3F)), Show(140ms, 1, Stick(0.3F, 0)), Show(1500ms, 1, Stick(0.3F, 0.05F))},
         3s, {}},
        {"a worn stick resting at 0.3 still steers when pushed, and rests again",
         {Show(0ms, 1, Stick(0.3F, 0)), Show(100ms, 1, Stick(0.9F, 0)), Show(200ms, 1, Stick(0.35F, 0.1F)),
          Show(300ms, 1, Stick(0.25F, -0.1F)), Show(400ms, 1, Stick(0.3F, -0.9F)), Show(500ms, 1, Stick(0.38F, 0))},
         3s, {{100ms, vk::Right}, {400ms, vk::Up}}},
        {"the stick flicked from left to right is a new press",
         {Show(0ms, 1, Stick(-1, 0)), Show(100ms, 1, Stick(1, 0)), Show(150ms, 1, Stick(0, 0))}, 2s,
         {{0ms, vk::Left}, {100ms, vk::Right}}},
        {"d-pad and stick of one pad are keys of their own",
         {Show(0ms, 1, Stick(0, 1)), Show(100ms, 1, [] { PadState s = Stick(0, 1); s.Left = true; return s; }()),
          Show(700ms, 1, Stick(0, 1)), Show(1000ms, 1, kNothing)}, 2s,
         Join({{{0ms, vk::Down}}, Held(vk::Left, 100ms, 700ms)})},
        {"a stick value no driver should give is no direction",
         {Show(0ms, 1, Stick(std::numeric_limits<float>::quiet_NaN(), 1)),
          Show(100ms, 1, Stick(std::numeric_limits<float>::infinity(), 0))}, 2s, {}},
        {"A and Start click once when pressed, however long held; B and letting go do nothing",
         {Show(0ms, 1, Buttons(true, false, false)), Show(2000ms, 1, kNothing), Show(2100ms, 1, Buttons(false, true, false)),
          Show(2200ms, 1, Buttons(false, false, true)), Show(2300ms, 1, kNothing)}, 4s,
         {{0ms, kClick}, {2200ms, kClick}}},
        {"a button pressed while a direction repeats leaves it repeating",
         {Show(0ms, 1, kRight), Show(550ms, 2, Buttons(true, false, false)), Show(600ms, 1, kNothing)}, 2s,
         Join({Held(vk::Right, 0ms, 550ms), {{550ms, kClick}}, {{Repeat(0ms, 2), vk::Right}}})},
        {"stopped (the box opened, the focus went): no more repeats until pressed afresh",
         {Show(0ms, 1, kRight), Stop(550ms), Show(900ms, 1, kNothing), Show(1000ms, 1, kRight),
          Show(1100ms, 1, kNothing)}, 3s,
         Join({Held(vk::Right, 0ms, 550ms), {{1000ms, vk::Right}}})},
        {"stopped while held, then another direction: that one steps and repeats",
         {Show(0ms, 1, kRight), Stop(100ms), Show(200ms, 1, kUpRight), Show(800ms, 1, kRight)}, 3s,
         Join({{{0ms, vk::Right}}, Held(vk::Up, 200ms, 800ms)})},
        {"unplugged while held: the repeat stops; plugged in again holding it, it steps only pressed afresh",
         {Show(0ms, 1, kRight), Unplug(560ms, 1), Connect(2000ms, 1, kRight), Show(2100ms, 1, kNothing),
          Show(2200ms, 1, kRight), Show(2300ms, 1, kNothing)}, 3s,
         Join({Held(vk::Right, 0ms, 560ms), {{2200ms, vk::Right}}})},
        {"a pad connected holding A, Start, a direction and the stick: nothing until each is let go and pressed",
         {Connect(0ms, 1, [] { PadState s = Buttons(true, true, true); s.Right = true; s.StickY = -1; return s; }()),
          Show(900ms, 1, Buttons(true, true, false)), Show(1000ms, 1, Buttons(true, false, true)),
          Show(1100ms, 1, kNothing), Show(1200ms, 1, Buttons(true, false, false)), Show(1300ms, 1, Stick(0, -1)),
          Show(1400ms, 1, kNothing)},
         2s, {{1000ms, kClick}, {1200ms, kClick}, {1300ms, vk::Up}}},
        {"a pad connected with its stick pushed: turning it another way steers, back to it does not until let go",
         {Connect(0ms, 1, Stick(1, 0)), Show(100ms, 1, Stick(0, 1)), Show(200ms, 1, Stick(1, 0)),
          Show(300ms, 1, Stick(0, 0)), Show(400ms, 1, Stick(1, 0)), Show(450ms, 1, kNothing)}, 2s,
         {{100ms, vk::Down}, {200ms, vk::Right}, {400ms, vk::Right}}},
        {"held while the window lacked the focus: the press does not count once it is back, the next one does",
         {Show(0ms, 1, kNothing), Show(100ms, 2, kNothing), Refocus(1000ms), Show(1000ms, 1, Buttons(true, false, false)),
          Show(1000ms, 2, kUp), Show(1500ms, 1, kNothing), Show(1600ms, 1, Buttons(true, false, false)),
          Show(1700ms, 2, kNothing), Show(1800ms, 2, kUp), Show(1900ms, 2, kNothing)}, 3s,
         {{1600ms, kClick}, {1800ms, vk::Up}}},
        {"held through the focus going and coming back: no second press, and let go as usual",
         {Show(0ms, 1, kRight), Stop(100ms), Refocus(200ms), Show(300ms, 1, kRight), Show(400ms, 1, kNothing),
          Show(500ms, 1, kRight), Show(600ms, 1, kNothing)}, 2s,
         {{0ms, vk::Right}, {500ms, vk::Right}}},
        {"unplugging the other pad leaves the repeat alone",
         {Show(0ms, 1, kRight), Show(10ms, 2, kUp), Show(20ms, 1, kUpRight), Unplug(100ms, 2),
          Show(600ms, 1, kNothing)}, 2s,
         Join({{{0ms, vk::Right}, {10ms, vk::Up}}, Held(vk::Up, 20ms, 600ms)})},
        {"a loop that wakes late repeats once, then the rate starts again from then",
         {Show(0ms, 1, kRight), WakeLate(600ms), Show(700ms, 1, kNothing)}, 2s,
         {{0ms, vk::Right}, {600ms, vk::Right}, {633333333ns, vk::Right}, {666666666ns, vk::Right}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Play(c.Script, c.Until), c.Expected) << c.Name;
    }
}

TEST(Gamepad, TheBrowsersPadsReadInTheStandardMappingOrByTheLeastEveryPadHas)
{
    struct Case {
        std::string Name;
        std::vector<double> Axes;
        std::vector<int> Pressed;
        bool Standard;
        PadState Expected;
    };
    PadState all = Dpad(true, true, true, true);
    all.A = all.B = all.Start = true;
    all.StickX = -1;
    all.StickY = 0.5F;
    std::vector<int> every(17, 1);
    std::vector<int> ignored(17, 1);
    ignored[0] = ignored[1] = ignored[9] = ignored[12] = ignored[13] = ignored[14] = ignored[15] = 0;
    PadState onlyA = Stick(0.25F, -1);
    onlyA.A = true;
    const std::vector<Case> cases = {
        {"standard: A, B, Start, the d-pad and the left stick", {-1, 0.5, 0.9, 0.9}, every, true, all},
        {"standard: X, Y, the shoulders, Back and the right stick do nothing", {0, 0, 1, 1}, ignored, true, kNothing},
        {"no mapping: the first two axes and the first button only", {0.25, -1, 1, 1}, every, false, onlyA},
        {"fewer axes and buttons than the mapping names", {0.5}, {0, 1}, true, [] {
             PadState s = Stick(0.5F, 0);
             s.B = true;
             return s;
         }()},
        {"axes past the ends, or not numbers, stay within them", {-7, std::numeric_limits<double>::quiet_NaN()}, {},
         true, Stick(-1, 0)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BrowserPad(c.Axes, c.Pressed, c.Standard), c.Expected) << c.Name;
    }
}

// Read at the full rate while in use, at the rest rate once nothing moved
// for a while: every change, counted or not, brings the full rate back.
TEST(Gamepad, PadsAreReadSlowerOnlyOnceUntouched)
{
    PadReader reader;
    PadPace pace;
    const auto next = [&](Time at, int pad, PadState state) {
        reader.Read(pad, state);
        return pace.After(at, reader.Moves());
    };
    PadState noisy = Stick(0.3F, 0);
    EXPECT_EQ(next(0ms, 1, Buttons(true, false, false)), kPadSampleInterval) << "connected holding A";
    EXPECT_EQ(next(1999ms, 1, Buttons(true, false, false)), kPadSampleInterval);
    EXPECT_EQ(next(2000ms, 1, Buttons(true, false, false)), kPadRestInterval) << "untouched for 2 s";
    EXPECT_EQ(next(2050ms, 1, noisy), kPadSampleInterval) << "A let go, though it was never a press";
    noisy.StickX = 0.4F;
    EXPECT_EQ(next(4049ms, 1, noisy), kPadSampleInterval);
    noisy.StickY = 0.1F;
    EXPECT_EQ(next(4100ms, 1, noisy), kPadRestInterval) << "a stick shaking inside the dead zone is untouched";
    EXPECT_EQ(next(4150ms, 2, kNothing), kPadSampleInterval) << "another pad connected";
    EXPECT_EQ(next(6200ms, 1, kRight), kPadSampleInterval) << "a press";
    EXPECT_EQ(next(8200ms, 1, kRight), kPadRestInterval) << "held untouched";
    reader.Refocus();
    EXPECT_EQ(pace.After(8250ms, reader.Moves()), kPadSampleInterval) << "the focus came back";
    reader.Remove(2);
    EXPECT_EQ(pace.After(10300ms, reader.Moves()), kPadSampleInterval) << "a pad gone";
}
