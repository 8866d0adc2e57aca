// The runtime that stands in for the old windowing platform: it owns the one
// start-up form, runs the event loop on one thread, routes input to the
// handlers, fires the timers, and reports a run-time error that no handler
// trapped. The form and its game see only the services the old language
// gave them (services.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "platform/core/backend.h"
#include "platform/core/form.h"
#include "platform/core/gamepad.h"
#include "platform/core/journal.h"
#include "platform/core/modal_box.h"
#include "platform/core/presenter.h"
#include "platform/core/services.h"
#include "platform/core/timer_stats.h"
#include "platform/core/timers.h"
#include "platform/language/random.h"

namespace platform {

// The report of a run-time error, as the message box shows it.
std::string ErrorReport(const RuntimeError& error);

class Runtime : private FormHost {
public:
    Runtime(Backend& backend, Media& media, std::string applicationTitle);
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // Creates the start-up form (given this runtime's services, then args),
    // loads it and shows it.
    template <class F, class... Args>
    F& Start(Args&&... args)
    {
        auto form = std::make_unique<F>(static_cast<FormHost&>(*this), std::forward<Args>(args)...);
        F& started = *form;
        form_ = std::move(form);
        Call([&] { started.Show(); });
        if (BetweenSteps) {
            BetweenSteps("the form's load");
        }
        AfterEvent();
        return started;
    }

    // From now on every step the runtime takes is told to journal first.
    // Before Start, so that the form's load is kept too.
    void Record(Journal& journal)
    {
        journal_ = &journal;
        origin_ = backend_.Now();
    }
    // From now on the runtime takes the steps of playback instead of the
    // input and the timers; the backend's input only shows the window again
    // or closes it. Before Start.
    void Play(Playback& playback)
    {
        playback_ = &playback;
        origin_ = backend_.Now();
    }

    // Nothing is composed or presented from now on: a playback that only
    // verifies, as fast as it can go.
    void StopPresenting() { presenting_ = false; }

    // Runs the event loop until the program ends, or the playback; the exit
    // status.
    int Run() { return playback_ != nullptr ? RunPlayback() : RunUntil(std::nullopt); }
    // Runs it until the backend's clock reaches limit, or the program ends.
    int RunUntil(std::optional<Time> limit);
    // Handles one input event now, as the loop would.
    void Deliver(const InputEvent& event);

    bool Finished() const { return finished_; }
    int ExitStatus() const { return exitStatus_; }
    bool Modal() const { return box_.Open(); }
    // The window was closed or the program told to end while a box was open.
    bool QuitRequested() const { return box_.QuitRequested(); }
    // The report of the run-time error that ended the program; empty if none.
    const std::string& FailureReport() const { return failure_; }
    const std::string& Title() const { return title_; }

    // For tools that trace or check a run: called after each input event the
    // loop or Deliver dispatched, after each timer tick with its timer, and
    // after each repeat of a held pad direction with the key-down it made.
    using Step = std::variant<InputEvent, ControlId>;
    std::function<void(const Step&)> Observer;
    // Called once in Start, between the form's load and its first frame, with
    // the step just done, where a platform lets other work run.
    std::function<void(const char*)> BetweenSteps;

    // The old language's services, as the handlers call them.
    void Randomize() override;
    Single Rnd() override { return random_.Next(); }
    void MsgBox(std::string_view text) override;
    Form& StartupForm() override { return *form_; }

private:
    Media& FormMedia() override { return media_; }
    void FormShown() override { backend_.ShowWindow(); }

    // The dispatcher: runs a handler. Whatever it throws is reported as a
    // run-time error and ends the program.
    template <class Fn>
    void Call(Fn&& handler)
    {
        try {
            handler();
        } catch (const RuntimeError& error) {
            Fail(error);
        } catch (const std::bad_alloc&) {
            Fail(RuntimeError(ErrorNumber::OutOfMemory));
        } catch (const std::exception& error) {
            FailInternally(error.what());
        } catch (...) {
            FailInternally("an unknown exception");
        }
        if (box_.QuitRequested()) {
            EndOnQuit();
        }
    }
    void Fail(const RuntimeError& error) noexcept;
    void FailInternally(const char* what) noexcept;
    // The player asked to quit while a box was open: the handler that opened
    // it has run to its end; nothing else of the game runs.
    void EndOnQuit();

    void Dispatch(const InputEvent& event);
    // Tells the journal of a step about to be taken.
    void Note(const SessionStep& step);
    Time Since() { return backend_.Now() - origin_; }
    int RunPlayback();
    // Waits until the backend's clock reaches at, showing the window again
    // when asked; false when the window was closed meanwhile.
    bool WaitUntil(Time at);
    void Take(const SessionStep& step);
    void Observe(const Step& step)
    {
        if (Observer) {
            Observer(step);
        }
    }
    void AfterEvent();
    // The timers' ticks and the held pad direction's repeats that are due, in
    // the order of their deadlines.
    void FireDueTimers();
    std::optional<Time> NextWake() const;
    // A pad's press, as the key or the click it stands for.
    void Press(const PadAction& action);
    // Opens the box; a held pad direction stops repeating first.
    BoxResult ShowBox(std::string_view text);
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
    ModalBox box_;
    PadKeys pads_;
    Presenter presenter_;
    TimerStats stats_;
    bool finished_ = false;
    int exitStatus_ = 0;
    std::string failure_;
    std::optional<Target> pressed_;
    std::optional<InputEvent> next_;  // read past a run of movements, not yet dispatched
    Journal* journal_ = nullptr;
    Playback* playback_ = nullptr;
    Time origin_{};  // where the recording's or the playback's times start
    bool presenting_ = true;
};

}  // namespace platform
