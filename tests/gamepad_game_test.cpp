// The game played with a pad on the headless backend: the runtime makes the
// key-downs, repeats and clicks of a pad's presses, on its own clock, and
// the box stops a held direction and drops what the pad did while it was open.
#include <functional>
#include <string>
#include <vector>

#include "platform/core/virtual_keys.h"
#include "tests/game_fixture.h"

using platform::PadControl;
using platform::PadEvent;
using platform::Time;

namespace {

PadEvent Press(int pad, PadControl control) { return {pad, control, true}; }
PadEvent Release(int pad, PadControl control) { return {pad, control, false}; }

// The n-th repeat of a direction pressed at pressed: 500 ms on, then 30 a second.
Time Repeat(Time pressed, int n) { return pressed + 500ms + Time(std::int64_t{n} * 1'000'000'000 / 30); }

// A game of its own for each row.
struct PadGame {
    PadGame()
    {
        runtime.Observer = [this](const platform::Runtime::Step& step) {
            const auto* event = std::get_if<platform::InputEvent>(&step);
            const Time now = backend.Now() - begin;
            if (now < last) {
                backwards = true;
            }
            last = now;
            if (event != nullptr && std::holds_alternative<platform::KeyDownEvent>(*event)) {
                repeats.push_back(now);  // the pad's keys come as pad events, their repeats as key-downs
            }
        };
    }
    PadGame(const PadGame&) = delete;
    PadGame& operator=(const PadGame&) = delete;

    void Key(int code) { runtime.Deliver(platform::KeyDownEvent{code, 0}); }
    void Start()
    {
        runtime.Deliver(platform::MouseDownEvent{10, 340});
        runtime.Deliver(platform::MouseUpEvent{10, 340});
    }
    // A round that runs as long as a test needs: the figure walked off the
    // playfield first, where no obstacle reaches it.
    void StartParkedRound()
    {
        for (int i = 0; i < 70; ++i) {
            Key(platform::vk::Left);
        }
        Start();
    }
    // A round that ends at its first tick: the figure walked up onto where
    // obstacle 3 starts.
    void StartLostRound()
    {
        for (int i = 0; i < 26; ++i) {
            Key(platform::vk::Up);
        }
        Start();
    }

    platform::HeadlessBackend backend;
    platform::Media media{embedded::SansSerif()};
    platform::Runtime runtime{backend, media, std::string(kApplicationTitle)};
    frmBomber& form = runtime.Start<frmBomber>();
    Time begin{};
    Time last{};
    bool backwards = false;
    std::vector<Time> repeats;
};

}  // namespace

TEST(PadGame, PadsGiveTheKeysAndClicksOfTheKeyboardAndTheMouse)
{
    struct Row {
        std::string Name;
        std::function<void(PadGame&)> Before;
        std::vector<std::pair<Time, platform::InputEvent>> Input;  // after the start of the row
        Time Run;
        double Right;  // how far the figure walks, in pixels
        double Down;
        std::vector<Time> Repeats;
        std::function<void(PadGame&)> Check;
    };
    const auto nothing = [](PadGame&) {};
    const auto waiting = [](PadGame& t) {
        EXPECT_TRUE(t.form.Label1().Visible);
        EXPECT_FALSE(t.form.Timer1().Enabled);
    };
    const auto running = [](PadGame& t) {
        EXPECT_FALSE(t.form.Label1().Visible);
        EXPECT_TRUE(t.form.Timer1().Enabled);
        EXPECT_TRUE(t.form.Scoring().Enabled);
        EXPECT_TRUE(t.backend.MessageBoxes().empty());
    };
    const auto pad = [](PadEvent e) { return platform::InputEvent(e); };
    const std::vector<Row> rows = {
        {"the d-pad held 600 ms: a step at once, then a repeat after 500 ms and 30 a second",
         nothing, {{0ms, pad(Press(1, PadControl::DpadRight))}, {600ms, pad(Release(1, PadControl::DpadRight))}},
         1s, 16, 0, {Repeat(0ms, 0), Repeat(0ms, 1), Repeat(0ms, 2)}, waiting},
        {"the stick: a step, no repeat once let go before the delay",
         nothing, {{0ms, pad(Press(1, PadControl::StickDown))}, {100ms, pad(Release(1, PadControl::StickDown))}},
         1s, 0, 4, {}, waiting},
        {"two pads: the latest press repeats, the earlier one does not come back",
         nothing,
         {{0ms, pad(Press(1, PadControl::DpadUp))}, {100ms, pad(Press(2, PadControl::StickLeft))},
          {650ms, pad(Release(2, PadControl::StickLeft))}, {700ms, pad(Release(1, PadControl::DpadUp))}},
         1s, -12, -4, {Repeat(100ms, 0), Repeat(100ms, 1)}, waiting},
        {"A while the game waits is the click on the prompt: the round starts",
         nothing, {{0ms, pad(Press(1, PadControl::A))}}, 50ms, 0, 0, {}, [](PadGame& t) {
             EXPECT_FALSE(t.form.Label1().Visible);
             EXPECT_TRUE(t.form.Timer1().Enabled);
         }},
        {"Start too; B and letting go are nothing",
         nothing,
         {{0ms, pad(Press(1, PadControl::B))}, {10ms, pad(Release(1, PadControl::B))},
          {20ms, pad(Press(1, PadControl::Start))}}, 50ms, 0, 0, {}, [](PadGame& t) {
             EXPECT_FALSE(t.form.Label1().Visible);
         }},
        {"A during a round does nothing; a held direction still walks",
         [](PadGame& t) { t.StartParkedRound(); },
         {{0ms, pad(Press(1, PadControl::DpadDown))}, {100ms, pad(Press(2, PadControl::A))},
          {520ms, pad(Release(1, PadControl::DpadDown))}},
         2s, 0, 8, {Repeat(0ms, 0)}, running},
        {"a held direction stops when the window loses the focus",
         nothing,
         {{0ms, pad(Press(1, PadControl::DpadRight))}, {550ms, platform::FocusLostEvent{}},
          {900ms, pad(Release(1, PadControl::DpadRight))}}, 1s, 12, 0, {Repeat(0ms, 0), Repeat(0ms, 1)}, waiting},
        {"a held direction stops when the box opens; what a pad does while it is open never reaches the game",
         [](PadGame& t) {
             t.StartLostRound();
             t.backend.OnMessageBox = [&t](const platform::HeadlessBackend::MessageBox&) {
                 const Time now = t.backend.Now();
                 t.backend.Post(now, Press(2, PadControl::A));
                 t.backend.Post(now, Press(2, PadControl::DpadLeft));
                 t.backend.Stall(1s);
                 return true;
             };
         },
         {{0ms, pad(Press(1, PadControl::DpadUp))}},
         2s, 0, 0, {}, [](PadGame& t) {
             EXPECT_EQ(t.backend.MessageBoxes().size(), 1U);
             EXPECT_TRUE(t.form.Label1().Visible);  // reloaded, and not started by the A
             EXPECT_FALSE(t.form.Timer1().Enabled);
             EXPECT_EQ(t.form.PlayerX, 232.0);  // nor walked by the d-pad or the repeat
             EXPECT_EQ(t.form.PlayerY, 174.5);
         }},
    };
    for (const Row& row : rows) {
        PadGame t;
        row.Before(t);
        t.begin = t.backend.Now();
        t.last = {};
        t.repeats.clear();
        const double x = t.form.PlayerX;
        const double y = t.form.PlayerY;
        for (const auto& [at, event] : row.Input) {
            t.backend.Post(t.begin + at, event);
        }
        t.runtime.RunUntil(t.begin + row.Run);
        if (t.backend.MessageBoxes().empty()) {
            EXPECT_EQ(t.form.PlayerX - x, row.Right) << row.Name;
            EXPECT_EQ(t.form.PlayerY - y, row.Down) << row.Name;
        }
        EXPECT_EQ(t.repeats, row.Repeats) << row.Name;
        EXPECT_FALSE(t.backwards) << row.Name << ": the steps came out of time order";
        SCOPED_TRACE(row.Name);
        row.Check(t);
    }
}
