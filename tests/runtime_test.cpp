// The runtime on its own, with a small form of the test's: timers, routing,
// the modal box and the report of a run-time error.
#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "platform/headless/headless_backend.h"
#include "platform/core/compositor.h"
#include "platform/core/runtime.h"
#include "tests/game_fixture.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

const ControlDesign kControls[] = {
    {.Name = "Fast", .Kind = ControlKind::Timer, .Visible = false, .Interval = 1, .Enabled = false},
    {.Name = "Slow", .Kind = ControlKind::Timer, .Visible = false, .Interval = 100, .Enabled = false},
    {.Name = "Top", .Kind = ControlKind::Label, .Left = 10, .Top = 10, .Width = 50, .Height = 20, .Caption = "x"},
    {.Name = "Below", .Kind = ControlKind::Image, .Left = 20, .Top = 15, .Width = 20, .Height = 20,
     .Picture = embedded::Obstacle()},
};
const FormDesign kDesign{.Name = "frmTest", .Caption = "Test", .ClientWidth = 100, .ClientHeight = 80,
                         .Font = {"MS Sans Serif", 8}, .Controls = kControls};

class TestForm : public Form {
public:
    TestForm(FormHost& host, HeadlessBackend& backend) : Form(host, kDesign), backend_(backend) {}

    Timer& Fast() { return ControlNamed<Timer>("Fast"); }
    Timer& Slow() { return ControlNamed<Timer>("Slow"); }
    Label& Top() { return ControlNamed<Label>("Top"); }

    void OnLoad() override
    {
        ++loads;
        shownAtLoad = backend_.WindowShown();
    }
    void OnClick() override
    {
        events.push_back("click");
        if (onClick) {
            onClick();
        }
    }
    void OnKeyDown(const Integer& KeyCode, const Integer&) override
    {
        events.push_back("key " + Str(KeyCode));
        if (KeyCode == 6) {
            Integer big = 32767;
            big = big + 1;
        } else if (KeyCode == 7) {
            throw std::runtime_error("a fault of the runtime's own");
        } else if (KeyCode == 8) {
            throw 8;  // not even a standard exception
        } else if (KeyCode == 9) {
            App().MsgBox("a box");
        }
    }
    void OnMouseMove(const Integer&, const Integer&, const Single& X, const Single& Y) override
    {
        events.push_back("move " + std::to_string(static_cast<int>(X)) + "," + std::to_string(static_cast<int>(Y)));
    }
    void OnControlClick(const ControlId& control) override { events.push_back("click " + std::string(control.Name)); }
    void OnTimer(const ControlId& timer) override
    {
        ticks.push_back({std::string(timer.Name), backend_.Now()});
        if (onTick) {
            onTick(timer);
        }
    }

    struct Tick {
        std::string name;
        Time at;
    };
    int loads = 0;
    bool shownAtLoad = true;
    std::vector<std::string> events;
    std::vector<Tick> ticks;
    std::function<void(const ControlId&)> onTick;
    std::function<void()> onClick;

    int Count(std::string_view name) const
    {
        int n = 0;
        for (const Tick& t : ticks) {
            n += t.name == name ? 1 : 0;
        }
        return n;
    }

private:
    HeadlessBackend& backend_;
};

class RuntimeTest : public ::testing::Test {
protected:
    HeadlessBackend backend;
    Media media{embedded::SansSerif()};
    Runtime runtime{backend, media, "Brennow"};
    TestForm& form = runtime.Start<TestForm>(backend);

    void Advance(Time d) { runtime.RunUntil(backend.Now() + d); }
};

}  // namespace

TEST_F(RuntimeTest, ShortIntervalsTickAtTheSystemRateAndLongOnesExactlyWithoutDrift)
{
    form.Fast().Enabled = true;
    form.Slow().Enabled = true;
    Advance(1h);
    EXPECT_EQ(form.Count("Fast"), 64 * 3600);
    EXPECT_EQ(form.Count("Slow"), 10 * 3600);
    EXPECT_EQ(form.ticks.front().at, 15625us);
    EXPECT_EQ(form.ticks.back().at, 1h);
}

TEST_F(RuntimeTest, NoTickUntilEnabledAndAFreshIntervalOnEnable)
{
    Advance(1s);
    EXPECT_TRUE(form.ticks.empty());
    form.Slow().Enabled = true;
    runtime.Deliver(ExposeEvent{});  // arms, as after any handler
    Advance(150ms);
    form.Slow().Enabled = false;
    runtime.Deliver(ExposeEvent{});
    Advance(30ms);
    form.Slow().Enabled = true;
    runtime.Deliver(ExposeEvent{});
    Advance(100ms);
    ASSERT_EQ(form.ticks.size(), 2U);
    EXPECT_EQ(form.ticks[0].at, 1100ms);
    EXPECT_EQ(form.ticks[1].at, 1280ms);
}

TEST_F(RuntimeTest, AStallGivesOneTickPerTimerThenTheCadenceGoesOn)
{
    form.Fast().Enabled = true;
    form.Slow().Enabled = true;
    runtime.Deliver(ExposeEvent{});
    Advance(1s);
    form.ticks.clear();
    backend.Stall(5s);
    Advance(1ms);
    EXPECT_EQ(form.Count("Fast"), 1);
    EXPECT_EQ(form.Count("Slow"), 1);
    Advance(1s);
    EXPECT_NEAR(form.Count("Fast"), 65, 1);
    EXPECT_EQ(form.Count("Slow"), 11);
}

TEST_F(RuntimeTest, NoTickWhileTheMessageBoxIsOpenAndInputDuringItIsDropped)
{
    form.Fast().Enabled = true;
    runtime.Deliver(ExposeEvent{});
    int ticksWhileOpen = -1;
    form.onTick = [&](const ControlId&) {
        if (form.ticks.size() == 1) {
            runtime.MsgBox("hello");
        }
    };
    backend.OnMessageBox = [&](const HeadlessBackend::MessageBox& box) {
        EXPECT_EQ(box.Title, "Brennow");
        EXPECT_TRUE(runtime.Modal());
        const auto before = form.ticks.size();
        backend.Post(backend.Now() + 1s, KeyDownEvent{65, 0});
        backend.Stall(2s);
        ticksWhileOpen = static_cast<int>(form.ticks.size() - before);
        return true;
    };
    Advance(20ms);
    EXPECT_EQ(ticksWhileOpen, 0);
    EXPECT_TRUE(form.events.empty());
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_EQ(backend.MessageBoxes()[0].Text, "hello");
}

TEST_F(RuntimeTest, ClicksGoToTheTopmostShownControlOrTheForm)
{
    Advance(1ms);
    auto click = [&](float x, float y) {
        runtime.Deliver(MouseDownEvent{x, y});
        runtime.Deliver(MouseUpEvent{x, y});
    };
    click(30, 20);  // label over image
    click(30, 32);  // image only
    click(90, 70);  // free area
    form.Top().Visible = false;
    click(30, 20);
    runtime.Deliver(MouseDownEvent{90, 70});  // press and release on different targets
    runtime.Deliver(MouseUpEvent{30, 32});
    // Released outside the client area (the title bar, the desktop, either
    // side of the far corner): no click, whatever the press hit.
    for (const auto& [x, y] : {std::pair{90.0F, -5.0F}, {-1.0F, 70.0F}, {100.0F, 70.0F}, {99.0F, 80.0F}, {5e3F, 5e3F}}) {
        runtime.Deliver(MouseDownEvent{90, 70});
        runtime.Deliver(MouseUpEvent{x, y});
    }
    click(99, 79);  // the last pixel inside
    EXPECT_EQ(form.events, (std::vector<std::string>{"click Top", "click Below", "click", "click Below", "click"}));
}

TEST_F(RuntimeTest, MovementsThatArrivedTogetherCollapseIntoTheLastAndNothingElseMovesOrGoes)
{
    const Time t = backend.Now() + 1ms;
    backend.Post(t, MouseMoveEvent{1, 1});
    backend.Post(t, MouseMoveEvent{2, 2});
    backend.Post(t, KeyDownEvent{37, 0});
    backend.Post(t, MouseMoveEvent{3, 3});
    backend.Post(t, MouseDownEvent{90, 70});
    backend.Post(t, MouseMoveEvent{4, 4});
    backend.Post(t, MouseMoveEvent{5, 5});
    backend.Post(t, MouseUpEvent{90, 70});
    backend.Post(t + 1ms, MouseMoveEvent{6, 6});  // not yet there when the run before is read
    backend.Post(t + 2ms, MouseMoveEvent{7, 7});
    for (int i = 0; i < 100000; ++i) {
        backend.Post(t + 3ms, MouseMoveEvent{static_cast<float>(i % 90), 8});
    }
    backend.Post(t + 3ms, CloseEvent{});
    runtime.RunUntil(t + 1s);
    EXPECT_EQ(form.events, (std::vector<std::string>{"move 2,2", "key 37", "move 3,3", "move 5,5", "click",
                                                      "move 6,6", "move 7,7", "move 9,8"}));
    EXPECT_TRUE(runtime.Finished());
}

TEST_F(RuntimeTest, MovementReachesTheFormOnlyOverItsFreeArea)
{
    runtime.Deliver(MouseMoveEvent{30, 32});
    runtime.Deliver(MouseMoveEvent{5, 5});
    runtime.Deliver(MouseMoveEvent{-500, 1e6F});
    runtime.Deliver(KeyDownEvent{40, 0});
    EXPECT_EQ(form.events, (std::vector<std::string>{"move 5,5", "move -500,1000000", "key 40"}));
}

// Whatever a handler, the box it opens or the frame after it throws ends as
// a reported error and a clean exit with status 1: never a box left open for
// good, nor a frame presented after the failure.
TEST(RuntimeFailure, AnyFailureIsReportedInABoxAndEndsTheProgramWithStatusOne)
{
    const std::string internal = "Run-time error '51':\n\nInternal error";
    struct Row {
        int key;
        bool boxFails;
        std::string report;
        int frames = 0;  // before the failure: the box shows what led to it
    };
    const Row rows[] = {
        {6, false, "Run-time error '6':\n\nOverflow"},
        {7, false, internal},
        {8, false, internal},
        {9, true, internal, 1},
    };
    for (const Row& row : rows) {
        HeadlessBackend backend;
        Media media{embedded::SansSerif()};
        Runtime runtime{backend, media, "Brennow"};
        TestForm& form = runtime.Start<TestForm>(backend);
        int boxes = 0;
        backend.OnMessageBox = [&](const HeadlessBackend::MessageBox&) -> HeadlessBackend::BoxAnswer {
            if (row.boxFails && boxes++ == 0) {
                throw std::runtime_error("the box could not be made");
            }
            return true;
        };
        const int presented = backend.PresentedFrames();
        form.Top().Caption = "changed";  // a frame would follow the handler
        testing::internal::CaptureStderr();
        runtime.Deliver(KeyDownEvent{row.key, 0});
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(runtime.Finished()) << row.key;
        EXPECT_EQ(runtime.ExitStatus(), 1) << row.key;
        EXPECT_FALSE(runtime.Modal()) << row.key;
        EXPECT_EQ(runtime.FailureReport(), row.report);
        ASSERT_FALSE(backend.MessageBoxes().empty());
        EXPECT_EQ(backend.MessageBoxes().back().Title, "Brennow");
        EXPECT_EQ(backend.MessageBoxes().back().Text, row.report);
        EXPECT_EQ(backend.PresentedFrames(), presented + row.frames) << row.key << ": a frame after the failure";
        EXPECT_EQ(runtime.RunUntil(backend.Now() + 1s), 1);
    }
    // Composing itself fails (the label's font cannot be opened): nothing is
    // presented, and the report says what of any other fault.
    static const unsigned char kNotAFont[] = "not a font";
    HeadlessBackend backend;
    Media media{std::span<const unsigned char>(kNotAFont)};
    Runtime runtime{backend, media, "Brennow"};
    testing::internal::CaptureStderr();
    runtime.Start<TestForm>(backend);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(runtime.ExitStatus(), 1);
    EXPECT_EQ(runtime.FailureReport(), internal);
    EXPECT_EQ(backend.PresentedFrames(), 0);
}

TEST_F(RuntimeTest, ClosingTheWindowEndsTheProgramWithStatusZero)
{
    form.Fast().Enabled = true;
    runtime.Deliver(CloseEvent{});
    EXPECT_TRUE(runtime.Finished());
    EXPECT_EQ(runtime.ExitStatus(), 0);
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(RuntimeTest, TheWindowShowsOnceLoadedAndAFrameIsPresentedOnlyWhenSomethingVisibleChanged)
{
    EXPECT_FALSE(form.shownAtLoad);
    EXPECT_TRUE(backend.WindowShown());
    const int atLoad = backend.PresentedFrames();
    EXPECT_EQ(atLoad, 1);
    form.Slow().Enabled = true;
    Advance(10s);
    EXPECT_EQ(backend.PresentedFrames(), atLoad);
    form.Top().Caption = "y";
    runtime.Deliver(KeyDownEvent{1, 0});
    EXPECT_EQ(backend.PresentedFrames(), atLoad + 1);
    runtime.Deliver(ExposeEvent{});
    EXPECT_EQ(backend.PresentedFrames(), atLoad + 2);
}

// A backend that lends pixels of its own as the screen's, as the real window
// does where its pixels are laid out as ours.
class CanvasBackend : public HeadlessBackend {
public:
    std::vector<Pixel> pixels = std::vector<Pixel>(100 * 80, 0);
    Surface view = Surface::View(pixels.data(), 100, 80, 100);
    std::uint64_t generation = 1;
    Canvas ScreenCanvas() override { return {&view, generation}; }
};

TEST(Presenting, PixelsMadeAnewWhereTheOldOnesWereGetTheWholeFrame)
{
    CanvasBackend backend;
    Media media{embedded::SansSerif()};
    Runtime runtime{backend, media, "Brennow"};
    TestForm& form = runtime.Start<TestForm>(backend);
    Surface whole;
    Compose(form, whole);
    EXPECT_EQ(Surface(backend.view), whole);
    form.Top().Caption = "y";
    runtime.Deliver(KeyDownEvent{1, 0});
    EXPECT_FALSE(backend.Changed().empty()) << "a caption alone should make only its part afresh";
    // The window system makes the screen's pixels anew, at the same address.
    std::fill(backend.pixels.begin(), backend.pixels.end(), Rgb(1, 2, 3));
    ++backend.generation;
    form.Top().Caption = "z";
    runtime.Deliver(KeyDownEvent{1, 0});
    Compose(form, whole);
    EXPECT_EQ(Surface(backend.view), whole);
    EXPECT_TRUE(backend.Changed().empty()) << "presented as a part of a frame the pixels never held";
    // A view of another size is not quietly swapped for pixels of its own.
    std::vector<Pixel> small(10 * 10, Rgb(1, 2, 3));
    Surface view = Surface::View(small.data(), 10, 10, 10);
    EXPECT_THROW(Compose(form, view), std::invalid_argument);
    EXPECT_TRUE(view.Borrowed());
    EXPECT_EQ(small, std::vector<Pixel>(10 * 10, Rgb(1, 2, 3)));
}

TEST_F(RuntimeTest, AMessageBoxThatCannotBeShownCountsAsDismissed)
{
    backend.OnMessageBox = [](const HeadlessBackend::MessageBox&) { return false; };
    testing::internal::CaptureStderr();
    runtime.MsgBox("lost");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Brennow: lost\n");
    EXPECT_FALSE(runtime.Finished());
}

// Closing the game window, SIGTERM or SIGINT while a box is open: the handler
// that opened the box runs to its end without another box, then the program
// ends with status 0 and nothing more of the game runs.
TEST_F(RuntimeTest, AQuitWhileTheBoxIsOpenEndsTheProgramOnceTheHandlerReturns)
{
    form.Fast().Enabled = true;
    runtime.Deliver(ExposeEvent{});
    bool handlerFinished = false;
    form.onTick = [&](const ControlId&) {
        runtime.MsgBox("first");
        EXPECT_TRUE(runtime.QuitRequested());
        runtime.MsgBox("second");  // returns at once
        form.Top().Caption = "changed";
        handlerFinished = true;
    };
    backend.OnMessageBox = [](const HeadlessBackend::MessageBox&) { return BoxResult::Quit; };
    const int presented = backend.PresentedFrames();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runtime.RunUntil(backend.Now() + 1s), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(handlerFinished);
    EXPECT_TRUE(runtime.Finished());
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(form.ticks.size(), 1U);
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_EQ(backend.MessageBoxes()[0].Text, "first");
    EXPECT_EQ(backend.PresentedFrames(), presented);  // the change after the box never shows
    backend.Post(backend.Now(), KeyDownEvent{65, 0});
    EXPECT_EQ(runtime.RunUntil(backend.Now() + 1s), 0);
    EXPECT_TRUE(form.events.empty());
}

TEST_F(RuntimeTest, AQuitFromABoxOpenedByAClickEndsTheProgramAndLaterBoxesAreNotShown)
{
    backend.OnMessageBox = [](const HeadlessBackend::MessageBox&) { return BoxResult::Quit; };
    form.onClick = [&] { runtime.MsgBox("clicked"); };
    runtime.Deliver(MouseDownEvent{90, 70});
    runtime.Deliver(MouseUpEvent{90, 70});
    EXPECT_TRUE(runtime.Finished());
    EXPECT_EQ(runtime.ExitStatus(), 0);
    EXPECT_FALSE(form.IsLoaded());
    testing::internal::CaptureStderr();
    runtime.MsgBox("too late");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(backend.MessageBoxes().size(), 1U);
}

TEST_F(RuntimeTest, ARunTimeErrorAfterTheQuitIsReportedOnStderrWithoutABox)
{
    backend.OnMessageBox = [](const HeadlessBackend::MessageBox&) { return BoxResult::Quit; };
    form.onTick = [&](const ControlId&) {
        runtime.MsgBox("first");
        Integer big = 32767;
        big = big + 1;
    };
    form.Slow().Enabled = true;
    runtime.Deliver(ExposeEvent{});
    testing::internal::CaptureStderr();
    EXPECT_EQ(runtime.RunUntil(backend.Now() + 1s), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Brennow: Run-time error '6':\n\nOverflow\n");
    EXPECT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_FALSE(form.IsLoaded());
}

TEST_F(RuntimeTest, AQuitWhileTheErrorReportIsOpenKeepsStatusOne)
{
    backend.OnMessageBox = [](const HeadlessBackend::MessageBox&) { return BoxResult::Quit; };
    runtime.Deliver(KeyDownEvent{6, 0});
    EXPECT_TRUE(runtime.Finished());
    EXPECT_EQ(runtime.ExitStatus(), 1);
    EXPECT_EQ(backend.MessageBoxes().size(), 1U);
}

// The game's own handler goes on after its box: it reloads the form for the
// next round. A quit in the box ends the program there instead.
TEST_F(GameTest, AQuitInTheGameOverBoxEndsTheProgramWithZeroAndNoFurtherRound)
{
    Start();
    form.SpeedX(0) = 1;
    form.SpeedY(0) = 3;
    form.Image1(0).Left = static_cast<float>(form.PlayerX) - 1;
    form.Image1(0).Top = static_cast<float>(form.PlayerY) - 3;
    backend.OnMessageBox = [](const platform::HeadlessBackend::MessageBox&) { return platform::BoxResult::Quit; };
    const std::uint64_t loads = form.LoadCount();
    EXPECT_EQ(runtime.RunUntil(backend.Now() + 1s), 0);
    ASSERT_EQ(backend.MessageBoxes().size(), 1U);
    EXPECT_EQ(backend.MessageBoxes()[0].Text, "Oh NO!~ You lost! But you got 0");
    EXPECT_EQ(form.LoadCount(), loads + 1);  // the handler did reload the form
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(backend.Now(), 15625us);  // and the loop ended right there
}
