#include "platform/runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/compositor.h"

namespace platform {

Time TimerPeriod(int intervalMilliseconds)
{
    return std::max<Time>(std::chrono::milliseconds(std::max(intervalMilliseconds, 0)), kTimerResolution);
}

std::string ErrorReport(const RuntimeError& error)
{
    return "Run-time error '" + std::to_string(error.Number()) + "':\n\n" + error.Description();
}

Runtime::Runtime(Backend& backend, Media& media, std::string applicationTitle)
    : backend_(backend), media_(media), title_(std::move(applicationTitle))
{
    const char* stats = std::getenv("BRENNOW_STATS");
    stats_ = stats != nullptr && std::strcmp(stats, "1") == 0;
}

int Runtime::RunUntil(std::optional<Time> limit)
{
    while (!finished_) {
        if (limit && backend_.Now() >= *limit) {
            break;
        }
        ArmTimers();
        std::optional<Time> deadline = NextDeadline();
        if (limit && (!deadline || *limit < *deadline)) {
            deadline = limit;
        }
        if (std::optional<InputEvent> event = NextEvent(deadline)) {
            Dispatch(*event);
            Observe(*event);
        }
        AfterEvent();
    }
    if (finished_ && stats_) {
        ReportStats();
    }
    return exitStatus_;
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
    Dispatch(event);
    Observe(event);
    AfterEvent();
}

void Runtime::AfterEvent()
{
    ArmTimers();
    FireDueTimers();
    if (!finished_ && !form_->IsLoaded()) {
        finished_ = true;  // the last form is gone: the program ends
    }
    if (!finished_) {
        PresentIfChanged();
    }
}

void Runtime::Fail(const RuntimeError& error)
{
    finished_ = true;
    exitStatus_ = 1;
    failure_ = ErrorReport(error);
    const std::string& report = failure_;
    // Once the player has asked to quit, a box would only hold the exit up.
    BoxResult result = BoxResult::NotShown;
    if (!quitRequested_) {
        modal_ = true;
        result = backend_.ShowMessageBox(title_, report);
        modal_ = false;
    }
    if (result == BoxResult::NotShown) {
        std::fprintf(stderr, "%s: %s\n", title_.c_str(), report.c_str());
    }
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
    if (quitRequested_) {
        return;
    }
    PresentIfChanged();  // the player sees what led to the box
    modal_ = true;
    const BoxResult result = backend_.ShowMessageBox(title_, text);
    modal_ = false;
    if (result == BoxResult::NotShown) {
        std::fprintf(stderr, "%s: %.*s\n", title_.c_str(), static_cast<int>(text.size()), text.data());
    } else if (result == BoxResult::Quit) {
        quitRequested_ = true;  // honoured when the running handler returns
    }
    // The old desktop dropped input aimed at a window whose modal box was up;
    // a click made while the box was open must not start the next round.
    backend_.DiscardInput();
    if (next_ && !std::holds_alternative<CloseEvent>(*next_) && !std::holds_alternative<ExposeEvent>(*next_)) {
        next_.reset();  // input, read before the box opened and meant for the window it covered
    }
    pressed_.reset();
    exposed_ = true;
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
    } else if (std::holds_alternative<ExposeEvent>(event)) {
        exposed_ = true;
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

void Runtime::ArmTimers()
{
    if (!form_->IsLoaded()) {
        return;
    }
    const Time now = backend_.Now();
    for (Control& control : form_->Controls()) {
        if (auto* timer = std::get_if<Timer>(&control)) {
            if (!timer->Enabled) {
                timer->Deadline.reset();
            } else if (!timer->Deadline) {
                timer->Deadline = now + TimerPeriod(timer->Interval);  // a fresh interval
                if (stats_) {
                    StatsOf(timer->Name, now);
                }
            }
        }
    }
}

std::optional<Time> Runtime::NextDeadline()
{
    std::optional<Time> next;
    if (!form_->IsLoaded()) {
        return next;
    }
    for (const Control& control : form_->Controls()) {
        if (const auto* timer = std::get_if<Timer>(&control); timer && timer->Enabled && timer->Deadline) {
            if (!next || *timer->Deadline < *next) {
                next = timer->Deadline;
            }
        }
    }
    return next;
}

void Runtime::FireDueTimers()
{
    // Ticks are held while a modal box is open; a handler that opens one
    // returns only after it has closed.
    while (!finished_ && !modal_ && form_->IsLoaded()) {
        const Time now = backend_.Now();
        Timer* due = nullptr;
        for (Control& control : form_->Controls()) {
            auto* timer = std::get_if<Timer>(&control);
            if (timer && timer->Enabled && timer->Deadline && *timer->Deadline <= now &&
                (due == nullptr || *timer->Deadline < *due->Deadline)) {
                due = timer;
            }
        }
        if (due == nullptr) {
            return;
        }
        // Deadlines advance by the period, so the cadence does not drift; a
        // timer that has fallen a whole period behind fires once and re-arms
        // from now instead of catching up in a burst.
        const Time period = TimerPeriod(due->Interval);
        const Time next = *due->Deadline + period;
        due->Deadline = next <= now ? now + period : next;
        const ControlId id = due->Id();  // the handler may reload the form
        if (stats_) {
            TimerStats& stats = StatsOf(id.Name, now);
            ++stats.Ticks;
            stats.Last = now;
        }
        Call([&] { form_->OnTimer(id); });
        Observe(id);
        ArmTimers();
    }
}

Runtime::TimerStats& Runtime::StatsOf(std::string_view name, Time now)
{
    for (TimerStats& stats : timerStats_) {
        if (stats.Name == name) {
            return stats;
        }
    }
    return timerStats_.emplace_back(TimerStats{name, 0, now, now});
}

void Runtime::ReportStats()
{
    const auto seconds = [](Time t) { return std::chrono::duration<double>(t).count(); };
    std::fprintf(stderr, "brennow stats: ran %.6f s\n", seconds(backend_.Now()));
    for (const TimerStats& stats : timerStats_) {
        std::fprintf(stderr, "brennow stats: %.*s %llu ticks, enabled at %.6f s, last at %.6f s\n",
                     static_cast<int>(stats.Name.size()), stats.Name.data(),
                     static_cast<unsigned long long>(stats.Ticks), seconds(stats.Enabled), seconds(stats.Last));
    }
}

Runtime::Shown Runtime::WhatShows(const Form& form)
{
    Shown shown{form.LoadCount(), form.DrawingSurface().Generation(), {}};
    shown.Controls.reserve(form.Controls().size());
    for (const Control& control : form.Controls()) {
        const auto* label = std::get_if<Label>(&control);
        const bool visible = Base(control).Visible && !std::holds_alternative<Timer>(control);
        shown.Controls.push_back({visible, visible ? Bounds(control) : Rect{}, label ? label->Caption : std::string()});
    }
    return shown;
}

void Runtime::PresentIfChanged()
{
    if (!form_->IsLoaded()) {
        return;
    }
    std::optional<Shown> now;
    Call([&] { now = WhatShows(*form_); });
    if (!now || (!exposed_ && now == shown_)) {
        return;
    }
    // Only the controls changed: make afresh and show just where they were
    // and where they are. Anything else: the whole frame.
    Surface* canvas = backend_.Canvas();
    Surface& frame = canvas != nullptr ? *canvas : frame_;
    std::vector<Rect> changed;
    if (!exposed_ && shown_ && shown_->Load == now->Load && shown_->Drawing == now->Drawing &&
        frame.Width() > 0 && frame.Row(0) == composedInto_) {
        for (std::size_t i = 0; i < now->Controls.size(); ++i) {
            const ShownControl& before = shown_->Controls[i];
            const ShownControl& after = now->Controls[i];
            if (before != after) {
                for (const ShownControl* c : {&before, &after}) {
                    if (c->Visible && !c->Bounds.Intersect(frame.Bounds()).Empty()) {
                        changed.push_back(c->Bounds.Intersect(frame.Bounds()));
                    }
                }
            }
        }
        if (changed.empty()) {
            shown_ = std::move(now);  // the change lies wholly off the frame
            return;
        }
        Call([&] {
            for (const Rect& area : changed) {
                ComposeArea(*form_, frame, area);
            }
        });
    } else {
        Call([&] { Compose(*form_, frame); });
    }
    composedInto_ = frame.Width() > 0 ? frame.Row(0) : nullptr;
    backend_.Present(frame, changed);
    shown_ = std::move(now);
    exposed_ = false;
}


}  // namespace platform
