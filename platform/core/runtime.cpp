#include "platform/core/runtime.h"

#include <cstdio>
#include <utility>

namespace platform {

std::string ErrorReport(const RuntimeError& error)
{
    return "Run-time error '" + std::to_string(error.Number()) + "':\n\n" + error.Description();
}

Runtime::Runtime(Backend& backend, Media& media, std::string applicationTitle)
    : backend_(backend), media_(media), title_(std::move(applicationTitle)), presenter_(backend)
{
}

int Runtime::RunUntil(std::optional<Time> limit)
{
    while (!finished_) {
        if (limit && backend_.Now() >= *limit) {
            break;
        }
        ArmTimers(*form_, backend_.Now(), stats_);
        std::optional<Time> deadline = NextWake();
        if (limit && (!deadline || *limit < *deadline)) {
            deadline = limit;
        }
        if (std::optional<InputEvent> event = NextEvent(deadline)) {
            Note(*event);
            Dispatch(*event);
            Observe(*event);
        }
        AfterEvent();
    }
    if (finished_) {
        stats_.Report(backend_.Now());
        if (journal_ != nullptr) {
            journal_->Ended(Since(), exitStatus_);
        }
    }
    return exitStatus_;
}

int Runtime::RunPlayback()
{
    while (!finished_) {
        const std::optional<Playback::Timed> step = playback_->Next();
        if (!step || !WaitUntil(origin_ + step->At)) {
            break;
        }
        Take(step->What);
        if (!finished_ && !form_->IsLoaded()) {
            finished_ = true;
        }
        PresentIfChanged();
    }
    finished_ = true;
    return exitStatus_;
}

bool Runtime::WaitUntil(Time at)
{
    while (backend_.Now() < at) {
        const std::optional<InputEvent> event = backend_.WaitEvent(at);
        if (!event) {
            continue;
        }
        if (std::holds_alternative<CloseEvent>(*event)) {
            EndOnQuit();  // closing the window ends the playback
            return false;
        }
        if (std::holds_alternative<ExposeEvent>(*event) || std::holds_alternative<FocusLostEvent>(*event)) {
            presenter_.Expose();
            PresentIfChanged();
        }
        // The player's own input steers nothing during a playback.
    }
    return true;
}

void Runtime::Take(const SessionStep& step)
{
    Form& form = *form_;
    if (const auto* event = std::get_if<InputEvent>(&step)) {
        Dispatch(*event);
        Observe(*event);
    } else if (std::holds_alternative<PadClickStep>(step)) {
        Press(PadAction{PadAction::Click, 0});
    } else {
        const auto& tick = std::get<TickStep>(step);
        for (const Control& control : form.Controls()) {
            const auto* timer = std::get_if<Timer>(&control);
            if (timer != nullptr && timer->Name == tick.Timer && timer->Index == tick.Index) {
                if (!timer->Enabled) {
                    break;
                }
                const ControlId id = timer->Id();
                Call([&] { form.OnTimer(id); });
                Observe(id);
                return;
            }
        }
        playback_->Diverged("a tick of " + tick.Timer + " while it is off");
    }
}

void Runtime::Note(const SessionStep& step)
{
    if (journal_ != nullptr) {
        const auto* event = std::get_if<InputEvent>(&step);
        if (event == nullptr || !std::holds_alternative<PadEvent>(*event)) {
            journal_->Took(Since(), step);
        }
    }
}

void Runtime::Randomize()
{
    const std::uint32_t seed = playback_ != nullptr ? playback_->Seed() : backend_.ClockSeed();
    if (journal_ != nullptr) {
        journal_->Seeded(Since(), seed);
    }
    random_.Seed(seed);
}

std::optional<InputEvent> Runtime::NextEvent(std::optional<Time> deadline)
{
    std::optional<InputEvent> event = std::exchange(next_, std::nullopt);
    if (!event) {
        event = backend_.WaitEvent(deadline);
    }
    // The old desktop never queued pointer movements: the program was told
    // where the pointer is when it next read its queue. Movements that have
    // already arrived, one after another, are one movement to where the last
    // went; a flood of them then costs neither memory nor a frame each.
    // Whatever else came stays where it was in the order.
    while (event && std::holds_alternative<MouseMoveEvent>(*event)) {
        std::optional<InputEvent> later = backend_.WaitEvent(backend_.Now());
        if (!later) {
            break;
        }
        if (!std::holds_alternative<MouseMoveEvent>(*later)) {
            next_ = std::move(later);
            break;
        }
        event = std::move(later);
    }
    return event;
}

void Runtime::Deliver(const InputEvent& event)
{
    Note(event);
    Dispatch(event);
    Observe(event);
    AfterEvent();
}

void Runtime::AfterEvent()
{
    ArmTimers(*form_, backend_.Now(), stats_);
    FireDueTimers();
    if (!finished_ && !form_->IsLoaded()) {
        finished_ = true;  // the last form is gone: the program ends
    }
    if (!finished_) {
        PresentIfChanged();
    }
}

std::optional<Time> Runtime::NextWake() const
{
    std::optional<Time> wake = NextDeadline(*form_);
    if (const std::optional<Time> repeat = pads_.Deadline(); repeat && (!wake || *repeat < *wake)) {
        wake = repeat;
    }
    return wake;
}

BoxResult Runtime::ShowBox(std::string_view text)
{
    pads_.Stop();
    if (journal_ != nullptr) {
        journal_->BoxOpened(Since(), text);
    }
    std::optional<Playback::BoxClose> recorded;
    if (playback_ != nullptr) {
        recorded = playback_->Box(text);
    }
    BoxResult result = box_.Show(backend_, title_, text);
    if (recorded && result != BoxResult::Quit) {
        // Closed as it was when recorded; closing the window still ends it.
        result = recorded->Result;
        if (result == BoxResult::Quit) {
            box_.RequestQuit();
        }
    }
    if (journal_ != nullptr) {
        journal_->BoxClosed(Since(), result);
    }
    return result;
}

void Runtime::Fail(const RuntimeError& error) noexcept
{
    finished_ = true;
    exitStatus_ = 1;
    BoxResult result = BoxResult::NotShown;
    try {
        failure_ = ErrorReport(error);
        // Once the player has asked to quit, a box would only hold the exit up.
        if (!box_.QuitRequested()) {
            result = ShowBox(failure_);
        }
    } catch (...) {
        result = BoxResult::NotShown;  // standard error is all that is left
    }
    if (result == BoxResult::NotShown) {
        std::fprintf(stderr, "%s: %s\n", title_.c_str(), failure_.empty() ? "a run-time error" : failure_.c_str());
    }
}

void Runtime::FailInternally(const char* what) noexcept
{
    // A fault of the program rather than of the game: the player is told as of
    // any other run-time error; what it was goes to standard error.
    std::fprintf(stderr, "%s: internal error: %s\n", title_.c_str(), what);
    Fail(RuntimeError(ErrorNumber::InternalError));
}

void Runtime::EndOnQuit()
{
    if (form_ && form_->IsLoaded()) {
        Unload(*form_);
    }
    finished_ = true;
}

void Runtime::MsgBox(std::string_view text)
{
    if (box_.QuitRequested()) {
        return;
    }
    PresentIfChanged();  // the player sees what led to the box
    const BoxResult result = ShowBox(text);
    if (result == BoxResult::NotShown) {
        std::fprintf(stderr, "%s: %.*s\n", title_.c_str(), static_cast<int>(text.size()), text.data());
    }
    // The old desktop dropped input aimed at a window whose modal box was up;
    // a click made while the box was open must not start the next round.
    backend_.DiscardInput();
    if (next_ && !std::holds_alternative<CloseEvent>(*next_) && !std::holds_alternative<ExposeEvent>(*next_)) {
        next_.reset();  // input, read before the box opened and meant for the window it covered
    }
    pressed_.reset();
    presenter_.Expose();
}

void Runtime::Dispatch(const InputEvent& event)
{
    Form& form = *form_;
    if (!form.IsLoaded()) {
        return;
    }
    if (const auto* move = std::get_if<MouseMoveEvent>(&event)) {
        if (!HitTest(move->X, move->Y).control) {
            Call([&] { form.OnMouseMove(move->Buttons, move->Shift, move->X, move->Y); });
        }
    } else if (const auto* down = std::get_if<MouseDownEvent>(&event)) {
        pressed_ = HitTest(down->X, down->Y);
    } else if (const auto* up = std::get_if<MouseUpEvent>(&event)) {
        // A click is a press and a release over the same target; a release
        // over the title bar or the desktop is none.
        const Target target = HitTest(up->X, up->Y);
        const bool click = pressed_ == target && target.inside;
        pressed_.reset();
        if (click && target.control) {
            Call([&] { form.OnControlClick(*target.control); });
        } else if (click) {
            Call([&] { form.OnClick(); });
        }
    } else if (const auto* key = std::get_if<KeyDownEvent>(&event)) {
        if (key->KeyCode >= 0 && key->KeyCode <= INT16_MAX) {
            Call([&] { form.OnKeyDown(key->KeyCode, key->Shift); });
        }
    } else if (std::holds_alternative<CloseEvent>(event)) {
        Unload(form);  // no handler intervenes
    } else if (const auto* pad = std::get_if<PadEvent>(&event)) {
        if (const std::optional<PadAction> action = pads_.Change(*pad, backend_.Now())) {
            Press(*action);
        }
    } else if (std::holds_alternative<FocusLostEvent>(event)) {
        pads_.Stop();
        presenter_.Expose();
    } else if (std::holds_alternative<ExposeEvent>(event)) {
        presenter_.Expose();
    }
}

void Runtime::Press(const PadAction& action)
{
    Form& form = *form_;
    if (action.What == PadAction::Key) {
        Note(InputEvent(KeyDownEvent{action.KeyCode, 0}));
        Call([&] { form.OnKeyDown(action.KeyCode, 0); });
        return;
    }
    // A pad has no pointer: its click lands where a form puts its prompt, in
    // the middle of the window. There it is a click on the prompt while it
    // shows, and on whatever is there once it is gone.
    Note(PadClickStep{});
    const Target target = HitTest(form.ScaleWidth() / 2, form.ScaleHeight() / 2);
    if (target.control) {
        Call([&] { form.OnControlClick(*target.control); });
    } else {
        Call([&] { form.OnClick(); });
    }
}

Runtime::Target Runtime::HitTest(float x, float y)
{
    Target target{form_->LoadCount(), std::nullopt};
    if (!(x >= 0 && y >= 0 && x < form_->ScaleWidth() && y < form_->ScaleHeight())) {
        target.inside = false;
        return target;
    }
    for (const Control& control : form_->Controls()) {
        const ControlBase& base = Base(control);
        if (base.Visible && !std::holds_alternative<Timer>(control) && base.Contains(x, y)) {
            target.control = base.Id();  // creation order is stacking order, first on top
            break;
        }
    }
    return target;
}

void Runtime::FireDueTimers()
{
    // Ticks are held while a modal box is open; a handler that opens one
    // returns only after it has closed.
    while (!finished_ && !box_.Open() && form_->IsLoaded()) {
        const Time now = backend_.Now();
        // A repeat due no later than every timer comes first.
        const std::optional<Time> repeat = pads_.Deadline();
        const std::optional<Time> tick = NextDeadline(*form_);
        if (repeat && *repeat <= now && (!tick || *repeat <= *tick)) {
            const KeyDownEvent key{*pads_.Repeat(now), 0};
            Note(InputEvent(key));
            Call([&] { form_->OnKeyDown(key.KeyCode, key.Shift); });
            Observe(InputEvent(key));
            ArmTimers(*form_, backend_.Now(), stats_);
            continue;
        }
        const Timer* due = TakeDueTimer(*form_, now);
        if (due == nullptr) {
            return;
        }
        const ControlId id = due->Id();  // the handler may reload the form
        stats_.Ticked(id.Name, now);
        Note(TickStep{std::string(id.Name), id.Index});
        Call([&] { form_->OnTimer(id); });
        Observe(id);
        ArmTimers(*form_, backend_.Now(), stats_);
    }
}

void Runtime::PresentIfChanged()
{
    if (!finished_ && form_->IsLoaded()) {
        Call([&] { presenter_.PresentIfChanged(*form_); });
    }
}

}  // namespace platform
