// The runtime that stands in for the old windowing platform: it owns the one
// start-up form, runs the event loop on one thread, routes input to the
// handlers, keeps the timers, shows the message box and reports a run-time
// error that no handler trapped.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/backend.h"
#include "platform/form.h"
#include "platform/media.h"
#include "platform/random.h"

namespace platform {

// The platform's timer resolution, the classic desktop system tick: a shorter
// interval ticks at this rate instead.
constexpr Time kTimerResolution = std::chrono::microseconds(15625);

// How often an enabled timer with this interval ticks.
Time TimerPeriod(int intervalMilliseconds);

// The report of a run-time error, as the message box shows it.
std::string ErrorReport(const RuntimeError& error);

class Runtime {
public:
    Runtime(Backend& backend, Media& media, std::string applicationTitle);
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // Creates the start-up form, loads it and shows it.
    template <class F>
    F& Start()
    {
        auto form = std::make_unique<F>(*this);
        F& started = *form;
        form_ = std::move(form);
        Call([&] { started.Show(); });
        AfterEvent();
        return started;
    }
    Form& StartupForm() { return *form_; }

    // Runs the event loop until the program ends; the exit status.
    int Run() { return RunUntil(std::nullopt); }
    // Runs it until the backend's clock reaches limit, or the program ends.
    int RunUntil(std::optional<Time> limit);
    // Handles one input event now, as the loop would.
    void Deliver(const InputEvent& event);

    bool Finished() const { return finished_; }
    int ExitStatus() const { return exitStatus_; }
    bool Modal() const { return modal_; }
    // The window was closed or the program told to end while a box was open.
    bool QuitRequested() const { return quitRequested_; }
    // The report of the run-time error that ended the program; empty if none.
    const std::string& FailureReport() const { return failure_; }

    // For tools that trace or check a run: called after each input event the
    // loop or Deliver dispatched, and after each timer tick with its timer.
    using Step = std::variant<InputEvent, ControlId>;
    std::function<void(const Step&)> Observer;

    // Services the handlers call.
    // Returns once the player has dismissed the box; at once, without a box,
    // when the program is already ending.
    void MsgBox(std::string_view text);
    void Randomize() { random_.Seed(backend_.ClockSeed()); }
    Single Rnd() { return random_.Next(); }
    Media& GetMedia() { return media_; }
    Backend& GetBackend() { return backend_; }
    const std::string& Title() const { return title_; }

private:
    // The dispatcher: runs a handler; a run-time error it raises is reported
    // and ends the program.
    template <class Fn>
    void Call(Fn&& handler)
    {
        try {
            handler();
        } catch (const RuntimeError& error) {
            Fail(error);
        } catch (const std::bad_alloc&) {
            Fail(RuntimeError(ErrorNumber::OutOfMemory));
        }
        if (quitRequested_) {
            EndOnQuit();
        }
    }
    void Fail(const RuntimeError& error);
    // The player asked to quit while a box was open: the handler that opened
    // it has run to its end; nothing else of the game runs.
    void EndOnQuit();

    void Dispatch(const InputEvent& event);
    void Observe(const Step& step)
    {
        if (Observer) {
            Observer(step);
        }
    }
    void AfterEvent();
    void ArmTimers();
    std::optional<Time> NextDeadline();
    void FireDueTimers();
    void PresentIfChanged();

    // The next event to dispatch, with the movements that came one after
    // another collapsed into the last.
    std::optional<InputEvent> NextEvent(std::optional<Time> deadline);

    // Where a click or a movement goes: a control, the form's free client
    // area, or nothing of the form's (outside its client area).
    struct Target {
        std::uint64_t load = 0;
        std::optional<ControlId> control;
        bool inside = true;
        friend bool operator==(const Target&, const Target&) = default;
    };
    Target HitTest(float x, float y);

    Backend& backend_;
    Media& media_;
    std::string title_;
    std::unique_ptr<Form> form_;
    Random random_;
    bool finished_ = false;
    int exitStatus_ = 0;
    bool modal_ = false;
    bool quitRequested_ = false;
    std::string failure_;
    bool exposed_ = false;
    std::optional<Target> pressed_;
    std::optional<InputEvent> next_;  // read past a run of movements, not yet dispatched
    // What the last presented frame was made of, to tell what changed since.
    struct ShownControl {
        bool Visible = false;
        Rect Bounds;
        std::string Caption;
        friend bool operator==(const ShownControl&, const ShownControl&) = default;
    };
    struct Shown {
        std::uint64_t Load = 0;
        std::uint64_t Drawing = 0;
        std::vector<ShownControl> Controls;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    static Shown WhatShows(const Form& form);

    Surface frame_;  // the frame, when the backend has no canvas for it
    const Pixel* composedInto_ = nullptr;
    std::optional<Shown> shown_;

    // With BRENNOW_STATS=1 the program tells at exit how often each timer
    // ticked, so that the benchmarks can check the cadence in the real window.
    struct TimerStats {
        std::string_view Name;
        std::uint64_t Ticks = 0;
        Time Enabled{};  // when it was first armed
        Time Last{};     // its last tick
    };
    TimerStats& StatsOf(std::string_view name, Time now);
    void ReportStats();
    bool stats_ = false;
    std::vector<TimerStats> timerStats_;
};

}  // namespace platform
